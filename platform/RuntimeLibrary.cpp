#include "platform/RuntimeLibrary.h"

#include <dlfcn.h>

namespace corvina {

RuntimeLibrary::RuntimeLibrary(const char* soname) {
    // Local: the library's names stay out of the way of any other library loaded later.
    handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : soname;
    }
}

void* RuntimeLibrary::symbol(const char* name) {
    if (!handle_) return nullptr;
    dlerror();
    void* address = dlsym(handle_, name);
    if (!address && error_.empty()) {
        const char* why = dlerror();
        error_ = why ? why : name;
    }
    return address;
}

}  // namespace corvina
