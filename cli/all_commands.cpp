#include "cli/all_commands.h"

#include "cli/diff_command.h"
#include "cli/dump_command.h"
#include "cli/info_command.h"
#include "cli/models_command.h"
#include "cli/render_command.h"
#include "cli/thumbnail_command.h"

// One line per subcommand.
void RegisterAllCommands(CLI::App& app, CliContext& context) {
    RegisterInfoCommand(app, context);
    RegisterDumpCommand(app, context);
    RegisterDiffCommand(app, context);
    RegisterModelsCommand(app, context);
    RegisterRenderCommand(app, context);
    RegisterThumbnailCommand(app, context);
}
