// Subcommands of vrx310-cli. Each takes the arguments after its name and
// returns the exit status: 0 success, 1 failure, 2 bad arguments.
#pragma once

#include <string>
#include <vector>

using CommandArgs = std::vector<std::string>;

struct CliCommand {
    const char* Name;
    const char* Usage;   // arguments, for the usage message
    const char* Summary; // one line for the usage message
    int (*Run)(const CommandArgs& args);
};

// Exit statuses.
enum { exitOk = 0, exitFailure = 1, exitUsage = 2 };

int RunRead(const CommandArgs& args);

// Prints the usage of every command to stderr (or stdout for --help).
void PrintUsage(bool toStdout);
