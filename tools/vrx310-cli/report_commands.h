// Subcommands on report files: show, export, and read with --out.
#pragma once

#include "tools/vrx310-cli/commands.h"

int RunShow(const CommandArgs& args);
int RunExport(const CommandArgs& args);
// "read": with --out (and --car, --operator, --unit) the reading is also
// saved as a report file; otherwise the plain RunRead.
int RunReadCommand(const CommandArgs& args);
// "history": the reports of a folder by date; "compare": two reports side by side.
int RunHistory(const CommandArgs& args);
int RunCompare(const CommandArgs& args);
