#include <iostream>

#include "cli/all_commands.h"
#include "cli/cli_app.h"

int main(int argc, char** argv) {
    CliContext context{std::cout, std::cerr};
    return RunCli(argc, argv, context, RegisterAllCommands);
}
