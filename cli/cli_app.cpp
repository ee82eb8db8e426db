#include "cli/cli_app.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/terminal_text.h"

namespace {

struct ExitStatuses {
    const char* subcommand;
    const char* text;
};

// What each subcommand's --help says about its exit status.
constexpr std::array<ExitStatuses, 5> kExitStatuses = {{
    {"info",
     "Exit status: 0 no error bits, 3 the job has error bits, 1 the job cannot be read, "
     "2 a usage error; with --strict, 4 for a job without error bits that does not fit the bed "
     "or has warnings."},
    {"dump",
     "Exit status: 0 no error bits, 3 the job has error bits, 1 the job cannot be read, "
     "2 a usage error; with --strict, 4 for a job without error bits that has warnings."},
    {"render",
     "Exit status: 0 the picture is written (also for a job with error bits, with a warning), "
     "1 the job cannot be read, memory runs out or the picture cannot be written, 2 a usage error "
     "(including a "
     "model or canvas that leaves no bed image); with --strict, 4 when the job has warnings."},
    {"diff",
     "Exit status: 0 the jobs are the same in their reports, commands and pictures, 1 they "
     "differ, 2 trouble: a usage error, a job that cannot be read, memory that runs out or a "
     "picture that cannot be written."},
    {"models",
     "Exit status: 0 the models of the settings file are listed (stderr names the file), 1 no "
     "settings file was found, or a binary file stands in its place (stderr says what is at each "
     "place looked at), 2 a usage error."},
}};

void AddExitStatusFooters(CLI::App& app) {
    for (const ExitStatuses& entry : kExitStatuses) {
        for (CLI::App* sub : app.get_subcommands({})) {
            if (sub->get_name() == entry.subcommand) sub->footer(entry.text);
        }
    }
}

// CLI11 takes a word it does not know as a stray argument and only says that
// a subcommand is required; name the word instead.
bool NamesUnknownSubcommand(CLI::App& app, int argc, const char* const* argv, std::ostream& err) {
    if (argc < 2) return false;
    const std::string_view word = argv[1];
    if (word.empty() || word.front() == '-') return false;
    for (const CLI::App* sub : app.get_subcommands({})) {
        if (sub->check_name(std::string(word))) return false;
    }
    err << "lumikor-cli: unknown subcommand '" << TerminalText(word) << "'; the subcommands are:";
    for (const CLI::App* sub : app.get_subcommands({})) err << ' ' << sub->get_name();
    err << "\nRun with --help for more information.\n";
    return true;
}

// Output that reached no file (a full disk, a closed pipe) must not pass as
// done: the buffered rest is flushed here and any failure so far reported.
int CheckOutput(CliContext& context, int status) {
    errno = 0;
    context.out.flush();
    if (context.out) return status;
    const int reason = errno;
    context.err << "lumikor-cli: cannot write the output: "
                << (reason != 0 ? std::strerror(reason) : "write failed") << '\n';
    return kExitCannotWrite;
}

// The subcommand ran out of memory somewhere in its work on the job; the
// places that can name what they were making say so themselves. diff keeps
// 1 for jobs that differ, so running out is its trouble status.
int NotEnoughMemory(CLI::App& app, CliContext& context) {
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    const std::string name = chosen.empty() ? std::string() : chosen.front()->get_name();
    context.err << "lumikor-cli" << (name.empty() ? "" : " ") << name
                << ": not enough memory for this job\n";
    return CheckOutput(context, name == "diff" ? kExitUsage : kExitCannotRead);
}

}  // namespace

int RunCli(int argc, const char* const* argv, CliContext& context, RegisterCommands registerAll) {
    CLI::App app{"Inspect laser job files (.prn, .plt) without the desktop program.",
                 "lumikor-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("lumikor-cli ") + LUMIKOR_VERSION);
    registerAll(app, context);
    AddExitStatusFooters(app);
    if (NamesUnknownSubcommand(app, argc, argv, context.err)) return kExitUsage;
    // CLI11 reports usage errors by throwing; this is the edge where they stop.
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Its messages quote the arguments, which may hold control characters.
        std::ostringstream help;
        std::ostringstream message;
        const int code = app.exit(e, help, message);
        context.out << help.str();
        context.err << TerminalLines(message.str());
        return CheckOutput(
            context, code == 0 ? kExitOk : kExitUsage);  // --help and --version are not errors
    } catch (const std::bad_alloc&) {
        // Whatever ran out, the subcommand stops before writing its output.
        return NotEnoughMemory(app, context);
    }
    return CheckOutput(context, context.status);
}
