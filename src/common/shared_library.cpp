#include "common/shared_library.h"

#include <dlfcn.h>

#include "common/error.h"

namespace vt {

SharedLibrary::SharedLibrary(const char* soname, std::string kind)
    : soname_(soname), kind_(std::move(kind)), handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) {
        Failed();
    }
}

void* SharedLibrary::Symbol(const char* name) const {
    void* symbol = dlsym(handle_, name);
    if (symbol == nullptr) {
        Failed();
    }
    return symbol;
}

void SharedLibrary::Failed() const {
    const char* why = dlerror();
    throw ErrorException(err::kInternal,
                         "The " + kind_ + " " + soname_ + " could not be loaded: " +
                             (why ? why : "unknown reason") + ".",
                         kRuntimeSource);
}

}  // namespace vt
