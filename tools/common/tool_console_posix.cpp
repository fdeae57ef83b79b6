// Off Windows argv holds the bytes as given and output is never translated.
#include "tools/common/tool_console.h"

namespace toolconsole {

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void UseBinaryOutput() {}

} // namespace toolconsole
