#include <iostream>

#include "cli/cli_app.h"
#include "cli/diff_command.h"
#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "cli/models_command.h"
#include "cli/render_command.h"
#include "cli/thumbnail_command.h"

namespace {

// One line per subcommand.
void RegisterAll(CLI::App& app, CliContext& context) {
    RegisterInfoCommand(app, context);
    RegisterDumpCommand(app, context);
    RegisterDiffCommand(app, context);
    RegisterModelsCommand(app, context);
    RegisterRenderCommand(app, context);
    RegisterThumbnailCommand(app, context);
}

}  // namespace

int main(int argc, char** argv) {
    CliContext context{std::cout, std::cerr};
    return RunCli(argc, argv, context, RegisterAll);
}
