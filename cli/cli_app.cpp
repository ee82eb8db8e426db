#include "cli/cli_app.h"

int RunCli(int argc, const char* const* argv, CliContext& context, RegisterCommands registerAll) {
    CLI::App app{"Inspect laser job files (.prn, .plt) without the desktop program.",
                 "lumikor-cli"};
    app.require_subcommand(1);
    registerAll(app, context);
    // CLI11 reports usage errors by throwing; this is the edge where they stop.
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, context.out, context.err);
        return code == 0 ? kExitOk : kExitUsage;  // --help is not an error
    }
    return context.status;
}
