// Private to device/: loading the HID library, the only piece of the tester
// link that differs between platforms (tester_link_posix.cpp and
// tester_link_win.cpp).
#pragma once

#include <string>

namespace hidlibrary {

// Null when the library cannot be loaded; see TesterLink for the name.
void* OpenLibrary(const std::string& name);
// Null when the library lacks the function.
void* Symbol(void* library, const char* name);
void CloseLibrary(void* library);

} // namespace hidlibrary
