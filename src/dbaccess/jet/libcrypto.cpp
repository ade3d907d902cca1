#include "dbaccess/jet/libcrypto.h"

#include <dlfcn.h>

#include <string>

#include "common/error.h"

namespace vt::jet {
namespace {

// The soname the headers were written for: another major version may not
// keep these functions' signatures.
constexpr const char* kLibraryName = "libcrypto.so.3";

[[noreturn]] void LoadFailed() {
    const char* why = dlerror();
    throw ErrorException(err::kInternal,
                         std::string("The cryptography library ") + kLibraryName +
                             " could not be loaded: " + (why ? why : "unknown reason") + ".",
                         kRuntimeSource);
}

Libcrypto Load() {
    // Never closed: the functions are used until the program ends.
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        LoadFailed();
    }
    Libcrypto functions;
#define VT_LIBCRYPTO_RESOLVE(name)                                               \
    functions.name = reinterpret_cast<decltype(functions.name)>(dlsym(library, #name)); \
    if (functions.name == nullptr) {                                             \
        LoadFailed();                                                            \
    }
    VT_LIBCRYPTO_FUNCTIONS(VT_LIBCRYPTO_RESOLVE)
#undef VT_LIBCRYPTO_RESOLVE
    return functions;
}

}  // namespace

const Libcrypto& Crypto() {
    static const Libcrypto functions = Load();
    return functions;
}

}  // namespace vt::jet
