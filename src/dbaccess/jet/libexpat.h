#pragma once

#include <expat.h>

namespace vt::jet {

// The functions of Expat that reading an Office encryption description
// calls, loaded the first time an encrypted file needs them
// (common/shared_library.h).
#define VT_LIBEXPAT_FUNCTIONS(X)        \
    X(XML_ParserCreate)                 \
    X(XML_ParserFree)                   \
    X(XML_SetUserData)                  \
    X(XML_SetElementHandler)            \
    X(XML_SetStartDoctypeDeclHandler)   \
    X(XML_Parse)                        \
    X(XML_GetErrorCode)                 \
    X(XML_ErrorString)                  \
    X(XML_StopParser)

struct Libexpat {
#define VT_LIBEXPAT_MEMBER(name) decltype(&::name) name = nullptr;
    VT_LIBEXPAT_FUNCTIONS(VT_LIBEXPAT_MEMBER)
#undef VT_LIBEXPAT_MEMBER
};

// The library's functions, loaded once for the whole program. Throws an
// ErrorException naming the library when it or a function is missing.
const Libexpat& Expat();

// Loads the library of that soname, as Expat() does with libexpat.so.1.
Libexpat LoadLibexpat(const char* soname);

}  // namespace vt::jet
