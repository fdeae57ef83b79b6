// vrx310-cli: the VRX-310 companion's core from the command line.
#include "tools/vrx310-cli/commands.h"
#include "tools/vrx310-cli/print_command.h"
#include "tools/vrx310-cli/report_commands.h"

#include <cstdio>
#include <cstring>

// The project's version, given by the build.
#ifndef VRX310_VERSION
#error "VRX310_VERSION is not defined"
#endif

namespace {

// New subcommands (show, export, print) go here, each in its own file.
const CliCommand Commands[] = {
    {"read", "[--json] [--erase] [--out FILE [--car TEXT] [--operator TEXT] [--unit UNIT]]",
     "read the tester's measurements and device information; --erase clears the tester "
     "after a successful read; --out saves them as a report file (with --erase, only once "
     "the file is saved)",
     RunReadCommand},
    {"show", "FILE [--unit bar|kPa|psi]", "print a report file as it reads on screen", RunShow},
    {"export", "FILE --json|--csv", "write a report file as JSON or CSV (UTF-8) to stdout",
     RunExport},
    {"print", "FILE --pdf OUT.pdf [--no-compression] [--no-leakage] [--unit bar|kPa|psi]",
     "write the printed report page of a report file as a one-page A4 PDF", RunPrint},
};

bool IsHelp(const char* arg) {
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

bool IsVersion(const char* arg) {
    return std::strcmp(arg, "--version") == 0;
}

void PrintVersion() {
    std::printf("vrx310-cli %s\n", VRX310_VERSION);
}

} // namespace

void PrintUsage(bool toStdout) {
    std::FILE* out = toStdout ? stdout : stderr;
    std::fputs("usage:\n", out);
    for (const CliCommand& c : Commands)
        std::fprintf(out, "  vrx310-cli %s %s\n      %s\n", c.Name, c.Usage, c.Summary);
    std::fputs("  vrx310-cli COMMAND --help\n      the usage of one command\n"
               "  vrx310-cli --help | --version\n",
               out);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(false);
        return exitUsage;
    }
    if (IsHelp(argv[1])) {
        PrintUsage(true);
        return exitOk;
    }
    if (IsVersion(argv[1])) {
        PrintVersion();
        return exitOk;
    }
    for (const CliCommand& c : Commands) {
        if (std::strcmp(argv[1], c.Name) != 0)
            continue;
        // Only as the command's sole argument: elsewhere they could be a
        // car or operator text.
        if (argc == 3 && IsHelp(argv[2])) {
            std::printf("usage: vrx310-cli %s %s\n  %s\n", c.Name, c.Usage, c.Summary);
            return exitOk;
        }
        if (argc == 3 && IsVersion(argv[2])) {
            PrintVersion();
            return exitOk;
        }
        return c.Run(CommandArgs(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "vrx310-cli: unknown command '%s'\n", argv[1]);
    PrintUsage(false);
    return exitUsage;
}
