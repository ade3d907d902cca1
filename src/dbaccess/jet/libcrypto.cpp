#include "dbaccess/jet/libcrypto.h"

#include "common/shared_library.h"

namespace vt::jet {

Libcrypto LoadLibcrypto(const char* soname) {
    const SharedLibrary library(soname, "cryptography library");
    Libcrypto functions;
#define VT_LIBCRYPTO_RESOLVE(name) library.Resolve(functions.name, #name);
    VT_LIBCRYPTO_FUNCTIONS(VT_LIBCRYPTO_RESOLVE)
#undef VT_LIBCRYPTO_RESOLVE
    return functions;
}

const Libcrypto& Crypto() {
    // The soname the headers were written for: another major version may
    // not keep these functions' signatures.
    static const Libcrypto functions = LoadLibcrypto("libcrypto.so.3");
    return functions;
}

}  // namespace vt::jet
