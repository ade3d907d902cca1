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

}  // namespace vt
