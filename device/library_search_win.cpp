#include <windows.h>

#include "device/library_search.h"

#include <string>

void KeepCurrentFolderOutOfLibrarySearch() {
    std::wstring program;
    // Long paths reach 32767 characters.
    for (DWORD size = MAX_PATH; size <= 65536 && program.empty(); size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0)
            break;
        if (length < size)
            program = buffer.substr(0, length);
    }
    const std::size_t slash = program.find_last_of(L"\\/");
    if (slash == std::wstring::npos || !::SetDllDirectoryW(program.substr(0, slash).c_str()))
        ::SetDllDirectoryW(L"");
}
