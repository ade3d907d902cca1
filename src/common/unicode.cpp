#include "common/unicode.h"

#include "common/shared_library.h"

// ICU's names carry its version (u_foldCase_72): the one the headers give.
#define VT_ICU_NAME(name) VT_ICU_STRING(name)
#define VT_ICU_STRING(name) #name

namespace vt {

UnicodeFunctions LoadUnicodeLibrary(const char* soname) {
    const SharedLibrary library(soname, "Unicode library");
    UnicodeFunctions functions;
    library.Resolve(functions.foldCase, VT_ICU_NAME(u_foldCase));
    library.Resolve(functions.charType, VT_ICU_NAME(u_charType));
    return functions;
}

const UnicodeFunctions& Unicode() {
    static const UnicodeFunctions functions = LoadUnicodeLibrary("libicuuc.so." U_ICU_VERSION_SHORT);
    return functions;
}

}  // namespace vt
