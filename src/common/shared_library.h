#pragma once
// A system library loaded the first time a rare input needs it, rather than
// at every start: mapping and relocating a library costs a short run a good
// part of its time. It stays the system's shared library, so its security
// updates reach the program.

#include <string>

namespace vt {

class SharedLibrary {
public:
    // Loads `soname`; `kind` names it in errors ("cryptography library").
    // Throws ErrorException naming both when it cannot be loaded. Never
    // unloaded: its functions are used until the program ends.
    SharedLibrary(const char* soname, std::string kind);

    // Points `function` at the library's function `name`; throws like the
    // constructor when the library has none.
    template <typename Function>
    void Resolve(Function*& function, const char* name) const {
        function = reinterpret_cast<Function*>(Symbol(name));
    }

private:
    void* Symbol(const char* name) const;
    [[noreturn]] void Failed() const;

    std::string soname_;
    std::string kind_;
    void* handle_ = nullptr;
};

// Declares `Type`, a struct with a member for each function of the X-macro
// list `LIST`, which names its library (`soname`, and `kind` for errors).
#define VT_LIBRARY_MEMBER(name) decltype(&::name) name = nullptr;
#define VT_LIBRARY_RESOLVE(name) library.Resolve(name, #name);
#define VT_LIBRARY_FUNCTIONS(Type, soname, kind, LIST)  \
    struct Type {                                       \
        static constexpr const char* kSoname = soname;  \
        static constexpr const char* kKind = kind;      \
        LIST(VT_LIBRARY_MEMBER)                         \
        void ResolveAll(const ::vt::SharedLibrary& library) { \
            LIST(VT_LIBRARY_RESOLVE)                    \
        }                                               \
    }

// The functions of `Functions`' library, or of the library `soname` (for
// tests). Throws like SharedLibrary.
template <typename Functions>
Functions LoadFunctions(const char* soname = Functions::kSoname) {
    const SharedLibrary library(soname, Functions::kKind);
    Functions functions;
    functions.ResolveAll(library);
    return functions;
}

// The functions, loaded the first time they are asked for.
template <typename Functions>
const Functions& LoadedFunctions() {
    static const Functions functions = LoadFunctions<Functions>();
    return functions;
}

}  // namespace vt
