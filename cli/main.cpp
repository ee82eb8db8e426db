#include <iostream>

#include "cli/all_commands.h"
#include "cli/cli_app.h"
#include "cli/stdout_sink.h"

int main(int argc, char** argv) {
    StdoutSink sink;
    std::ostream out(&sink);
    CliContext context{out, std::cerr};
    return RunCli(argc, argv, context, RegisterAllCommands);
}
