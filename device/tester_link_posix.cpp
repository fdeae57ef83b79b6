#include "device/tester_link_platform.h"

#include <dlfcn.h>

namespace hidlibrary {

void* OpenLibrary(const std::string& name) {
    // A bare name goes through the dynamic loader's search (LD_LIBRARY_PATH,
    // the loader cache, the system directories); a name with a '/' is a path.
    const std::string file = name.find('/') != std::string::npos ? name : "lib" + name + ".so";
    return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* Symbol(void* library, const char* name) {
    return ::dlsym(library, name);
}
void CloseLibrary(void* library) {
    ::dlclose(library);
}

} // namespace hidlibrary
