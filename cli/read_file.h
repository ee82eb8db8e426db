// Reads a whole job file into memory for the command-line tool.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Fills bytes with the file's contents and returns true, or leaves a reason
// in error ("No such file or directory", ...) and returns false. Files that
// do not fit a job's 32-bit size are refused.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

// ReadWholeFile for a subcommand: on failure writes
// "lumikor-cli: cannot read 'PATH': REASON" to err and returns false.
bool LoadJob(const std::string& path, std::vector<std::uint8_t>& bytes, std::ostream& err);
