// <windows.h> first: fileio/safe_file.h takes back its ReplaceFile macro.
#include <windows.h>

#include "device/tester_link_platform.h"

#include "fileio/safe_file.h"

namespace hidlibrary {

void* OpenLibrary(const std::string& name) {
    // A library that cannot be loaded is error 5, silently: no system box
    // about a damaged file or a drive that is not ready.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE library = nullptr;
    std::wstring wide = safefile::WidePath(name);
    if (name.find_first_of("/\\") == std::string::npos) {
        // LoadLibrary appends ".dll" and searches the program's folder, the
        // system folders and PATH.
        library = ::LoadLibraryW(wide.c_str());
    } else {
        // A path; the DLL's own folder then comes first for what it needs,
        // and that search order takes only backslashes.
        for (wchar_t& c : wide) {
            if (c == L'/')
                c = L'\\';
        }
        library = ::LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    ::SetThreadErrorMode(oldMode, nullptr);
    return reinterpret_cast<void*>(library);
}
void* Symbol(void* library, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}
void CloseLibrary(void* library) {
    ::FreeLibrary(static_cast<HMODULE>(library));
}

} // namespace hidlibrary
