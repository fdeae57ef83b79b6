// vrx310-cli print: a report file as the printed page, written to a PDF.
#pragma once

#include "tools/vrx310-cli/commands.h"

// Built only with the windows (VRX_GUI); otherwise it says so and fails.
int RunPrint(const CommandArgs& args);
