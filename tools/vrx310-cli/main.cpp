// vrx310-cli: the VRX-310 companion's core from the command line.
#include "device/library_search.h"
#include "tools/common/tool_console.h"
#include "tools/vrx310-cli/commands.h"
#include "tools/vrx310-cli/print_command.h"
#include "tools/vrx310-cli/report_commands.h"

#include <cstdio>
#include <string>

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
    {"show", "FILE [--unit bar|kPa|psi] [--no-evaluation] [--rules FILE]",
     "print a report file as it reads on screen (FILE \"-\": standard input), with the "
     "evaluation of its cylinders (default rules, or those of the [Evaluation] section of an "
     "INI file)",
     RunShow},
    {"export", "FILE --json|--csv [--no-evaluation] [--rules FILE]",
     "write a report file as JSON or CSV (UTF-8) to stdout (FILE \"-\": standard input); the "
     "evaluation follows the report's own keys and columns",
     RunExport},
    {"print", "FILE --pdf OUT.pdf [--no-compression] [--no-leakage] [--unit bar|kPa|psi]",
     "write the printed report page of a report file as a one-page A4 PDF", RunPrint},
    {"history", "FOLDER [--subfolders] [--vehicle TEXT] [--settings VRX310.ini] [--json]",
     "list the reports of a folder by date; --vehicle keeps those whose vehicle contains TEXT "
     "(letter case and accents ignored); the worst flag by the rule set of the settings file "
     "given, else by the default rules",
     RunHistory},
    {"compare", "A.vrx B.vrx [--unit bar|kPa|psi] [--json]",
     "two reports position by position: both values and the difference (later minus earlier)",
     RunCompare},
};

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

bool IsVersion(const std::string& arg) {
    return arg == "--version";
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
    KeepCurrentFolderOutOfLibrarySearch();
    toolconsole::UseBinaryOutput();
    const CommandArgs args = toolconsole::Arguments(argc, argv);
    if (args.empty()) {
        PrintUsage(false);
        return exitUsage;
    }
    if (IsHelp(args[0])) {
        PrintUsage(true);
        return exitOk;
    }
    if (IsVersion(args[0])) {
        PrintVersion();
        return exitOk;
    }
    for (const CliCommand& c : Commands) {
        if (args[0] != c.Name)
            continue;
        // Only as the command's sole argument: elsewhere they could be a
        // car or operator text.
        if (args.size() == 2 && IsHelp(args[1])) {
            std::printf("usage: vrx310-cli %s %s\n  %s\n", c.Name, c.Usage, c.Summary);
            return exitOk;
        }
        if (args.size() == 2 && IsVersion(args[1])) {
            PrintVersion();
            return exitOk;
        }
        return c.Run(CommandArgs(args.begin() + 1, args.end()));
    }
    std::fprintf(stderr, "vrx310-cli: unknown command '%s'\n", args[0].c_str());
    PrintUsage(false);
    return exitUsage;
}
