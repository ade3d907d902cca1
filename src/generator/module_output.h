#pragma once
// Where the module's bytes go. A file output writes beside the target and
// renames into place only on Commit, so a failed run leaves the target as
// it was.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vt {

class ModuleOutput {
public:
    virtual ~ModuleOutput() = default;  // discards what was not committed
    // Throws ErrorException when the bytes cannot be written.
    virtual void Write(std::string_view bytes) = 0;
    // Nothing more will be written: a file output that replaces a module
    // starts writing it to the disk, so that Commit's wait for the disk
    // overlaps the next module's making.
    virtual void StartSync() {}
    // Makes the written module the target. Throws ErrorException on failure.
    virtual void Commit() = 0;
};

using OutputOpener = std::function<std::unique_ptr<ModuleOutput>(const std::string& path)>;

// The atomic file output: a temporary file in the target's folder, renamed
// over the target on Commit. A character device or pipe (such as
// /dev/stdout) is written directly.
std::unique_ptr<ModuleOutput> OpenAtomicFileOutput(const std::string& path);

}  // namespace vt
