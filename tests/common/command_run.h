// Runs a built program through the shell as a user would, its standard
// output and error caught in files of a test folder.
#pragma once

#include "tests/common/temp_dir.h"

#include <cstdlib>
#include <string>

#include <sys/wait.h>

struct CommandRun {
    int Status = -1; // the exit status; -1 when the program did not end normally
    std::string Out, Err;
    bool Has(const std::string& text) const { return Out.find(text) != std::string::npos; }
};

inline CommandRun RunCommand(const std::string& commandLine, const TempDir& dir) {
    const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
    const int raw = std::system((commandLine + " >'" + out + "' 2>'" + err + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

// The command line that starts `program` on the simulated tester found in
// `libraryDir`, with its state file and request log ("sim.state",
// "sim.log") in `dir`.
inline std::string OnSimulator(const TempDir& dir, const std::string& libraryDir,
                               const std::string& program) {
    return "env LD_LIBRARY_PATH='" + libraryDir + "' VRX310_SIM_STATE='" + dir.File("sim.state") +
           "' VRX310_SIM_LOG='" + dir.File("sim.log") + "' '" + program + "'";
}
