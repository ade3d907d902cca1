#include "dbaccess/jet/libcrypto.h"

#include <dlfcn.h>

#include <string>

#include "common/error.h"

namespace vt::jet {
namespace {

// The soname the headers were written for: another major version may not
// keep these functions' signatures.
constexpr const char* kLibraryName = "libcrypto.so.3";

[[noreturn]] void LoadFailed(const char* soname) {
    const char* why = dlerror();
    throw ErrorException(err::kInternal,
                         std::string("The cryptography library ") + soname +
                             " could not be loaded: " + (why ? why : "unknown reason") + ".",
                         kRuntimeSource);
}

}  // namespace

Libcrypto LoadLibcrypto(const char* soname) {
    // Never closed: the functions are used until the program ends.
    void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        LoadFailed(soname);
    }
    Libcrypto functions;
#define VT_LIBCRYPTO_RESOLVE(name)                                                      \
    functions.name = reinterpret_cast<decltype(functions.name)>(dlsym(library, #name)); \
    if (functions.name == nullptr) {                                                    \
        LoadFailed(soname);                                                             \
    }
    VT_LIBCRYPTO_FUNCTIONS(VT_LIBCRYPTO_RESOLVE)
#undef VT_LIBCRYPTO_RESOLVE
    return functions;
}

const Libcrypto& Crypto() {
    static const Libcrypto functions = LoadLibcrypto(kLibraryName);
    return functions;
}

}  // namespace vt::jet
