#include "dbaccess/jet/libexpat.h"

#include "common/shared_library.h"

namespace vt::jet {

Libexpat LoadLibexpat(const char* soname) {
    const SharedLibrary library(soname, "XML library");
    Libexpat functions;
#define VT_LIBEXPAT_RESOLVE(name) library.Resolve(functions.name, #name);
    VT_LIBEXPAT_FUNCTIONS(VT_LIBEXPAT_RESOLVE)
#undef VT_LIBEXPAT_RESOLVE
    return functions;
}

const Libexpat& Expat() {
    static const Libexpat functions = LoadLibexpat("libexpat.so.1");
    return functions;
}

}  // namespace vt::jet
