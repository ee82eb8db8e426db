// Every subcommand of lumikor-cli, registered in one place for the program
// and its tests.
#pragma once

#include "cli/cli_app.h"

void RegisterAllCommands(CLI::App& app, CliContext& context);
