// Where the settings file is looked for. A program started in a job folder
// reads that folder's Lumikor.ini; one started from the menu (in the home
// folder) falls back to the user's own file and then to the installed example.
#pragma once

#include <string>
#include <vector>

// The places the lookup depends on, gathered once so that tests can give
// their own.
struct SettingsPlaces {
    std::string currentDir;  // absolute, or "." when the current folder is unknown
    std::string configHome;  // $XDG_CONFIG_HOME as set (may be empty or relative)
    std::string home;        // $HOME as set (may be empty)
    std::string dataDir;     // the installed data folder, <prefix>/share/lumikor
};

// This process's current folder and environment, and the folder the build
// installs the example into.
SettingsPlaces SettingsPlacesOfThisProcess();

// The candidates in the order they are tried: <currentDir>/Lumikor.ini, then
// <configHome>/lumikor/Lumikor.ini (a config home that is empty or relative
// is unusable and stands for <home>/.config; without a home that candidate
// is left out), then <dataDir>/Lumikor.ini.
std::vector<std::string> SettingsFileCandidates(const SettingsPlaces& places);

// The first candidate that is a readable regular file (a directory or FIFO
// of that name is passed over), or "" when none is.
std::string FirstExistingSettingsFile(const std::vector<std::string>& candidates);

// The settings file this process reads: the first existing candidate, or,
// when there is none, the one in the current folder (which then reads as
// empty, as a missing file does).
std::string SettingsFilePath();
