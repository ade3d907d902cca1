#pragma once

#include <expat.h>

#include "common/shared_library.h"

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

VT_LIBRARY_FUNCTIONS(Libexpat, "libexpat.so.1", "XML library", VT_LIBEXPAT_FUNCTIONS);

inline const Libexpat& Expat() { return LoadedFunctions<Libexpat>(); }

}  // namespace vt::jet
