// lumikor-cli models [--ini FILE] [--json]: the machine models a settings
// file lists, in the order the desktop program's model list shows them.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_app.h"

struct ModelsOptions {
    std::string iniPath = "Lumikor.ini";
    bool json = false;
};

// Always 0: a missing file lists no models, as in the desktop program.
int RunModels(const ModelsOptions& options, std::ostream& out);

void RegisterModelsCommand(CLI::App& app, CliContext& context);
