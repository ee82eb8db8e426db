// lumikor-cli models [--ini FILE] [--json]: the machine models a settings
// file lists, in the order the desktop program's model list shows them.
// Without --ini the file is looked for where the desktop program looks.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_app.h"
#include "settings/settings_location.h"

struct ModelsOptions {
    std::string iniPath;  // empty: the first of SettingsFileCandidates that exists
    bool json = false;
};

// Found no settings file to read: nothing at the places looked at, or only
// a folder, a special file or a binary file there.
inline constexpr int kExitNoSettings = 1;

// Lists the models on out and names the file read (or what stands at the
// places looked at) on err, so that out stays a clean list. kExitOk, or
// kExitNoSettings with nothing on out.
int RunModels(const ModelsOptions& options, const SettingsPlaces& places, std::ostream& out,
              std::ostream& err);

void RegisterModelsCommand(CLI::App& app, CliContext& context);
