// The tools' console on Windows: the wide command line as UTF-8, binary
// output and a UTF-8 console while the tool runs.
// <shellapi.h> needs what <windows.h> declares.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "tools/common/tool_console.h"

#include "fileio/safe_file.h"

#include <cstdio>
#include <cstdlib>

namespace toolconsole {

std::vector<std::string> Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(safefile::Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    return args;
}

namespace {

UINT consoleCodePage = 0;

void RestoreConsoleCodePage() {
    ::SetConsoleOutputCP(consoleCodePage);
}

} // namespace

void UseBinaryOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // Our text is UTF-8; a console would show it in its own code page. The
    // window's code page is its owner's, so it is given back on exit.
    const UINT current = ::GetConsoleOutputCP();
    if (current != 0 && current != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
        consoleCodePage = current;
        std::atexit(RestoreConsoleCodePage);
    }
}

} // namespace toolconsole
