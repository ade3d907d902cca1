#pragma once
// ICU's character properties, for the characters of names beyond ASCII.
// Nearly every name is ASCII, so ICU (and the maths library it needs) is
// loaded the first time a name is not (common/shared_library.h).

#include <unicode/uchar.h>

namespace vt {

struct UnicodeFunctions {
    decltype(&::u_foldCase) foldCase = nullptr;
    decltype(&::u_charType) charType = nullptr;
};

// ICU's functions, loaded once for the whole program. Throws an
// ErrorException naming the library when it or a function is missing.
const UnicodeFunctions& Unicode();

// Loads the library of that soname, as Unicode() does with the ICU the
// program was built with.
UnicodeFunctions LoadUnicodeLibrary(const char* soname);

}  // namespace vt
