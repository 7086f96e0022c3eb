#include "base/shared_library.h"

#include <dlfcn.h>

namespace base {

SharedLibrary::SharedLibrary(const char* soname) : soname_(soname) {
    // Never closed: the functions taken from it may be called until exit.
    handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = "cannot load " + soname_ + (why ? std::string(": ") + why : std::string());
    }
}

void* SharedLibrary::symbol(const char* name) {
    if (!handle_) return nullptr;
    dlerror();
    void* found = dlsym(handle_, name);
    if (!found) error_ = soname_ + " has no function " + name;
    return found;
}

}  // namespace base
