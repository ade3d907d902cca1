#include "generator/module_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "common/error.h"

namespace vt {
namespace {

constexpr std::size_t kBufferSize = 1 << 16;

[[noreturn]] void ThrowErrno(int code, const std::string& path) {
    throw ErrorException(ErrorFromErrno(code, path));
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes whole buffers, retrying after interruptions and short writes.
void WriteAll(int fd, const char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno(errno, path);
        }
        if (n == 0) {
            ThrowErrno(ENOSPC, path);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

class FileOutput : public ModuleOutput {
public:
    enum class Kind {
        kDirect,     // a device or a pipe, written in place
        kAnonymous,  // an unnamed file in the target's folder, linked in on Commit
        kNamed,      // a named temporary file, renamed over the target on Commit
    };

    // `replaces`: the target exists, and must survive a crash until the
    // module that replaces it is on the disk.
    FileOutput(int fd, std::string target, Kind kind, bool replaces, std::string temporary = {})
        : fd_(fd), target_(std::move(target)), kind_(kind), replaces_(replaces),
          temporary_(std::move(temporary)) {
        buffer_.reserve(kBufferSize);
    }

    ~FileOutput() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_ && kind_ == Kind::kNamed) {
            ::unlink(temporary_.c_str());
        }
    }

    void Write(std::string_view bytes) override {
        if (buffer_.size() + bytes.size() > kBufferSize) {
            Flush();
        }
        if (bytes.size() >= kBufferSize) {
            WriteAll(fd_, bytes.data(), bytes.size(), target_);
        } else {
            buffer_.append(bytes);
        }
    }

    void StartSync() override {
        Flush();
        if (kind_ != Kind::kDirect && replaces_) {
            ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);  // a hint; Commit's fsync decides
        }
    }

    void Commit() override {
        Flush();
        if (kind_ == Kind::kDirect) {
            committed_ = true;
            return;
        }
        // A new module replaces nothing a crash could lose, so like any
        // file a compiler writes it is left to the kernel's writeback.
        if (replaces_ && ::fsync(fd_) != 0) {
            ThrowErrno(errno, target_);
        }
        if (kind_ == Kind::kAnonymous) {
            LinkIntoFolder();
        }
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            ThrowErrno(errno, target_);
        }
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
            const int code = errno;
            ::unlink(temporary_.c_str());
            ThrowErrno(code, target_);
        }
        committed_ = true;
    }

private:
    // The complete module gets a name beside the target; rename then puts
    // it in place (a link cannot replace an existing file).
    void LinkIntoFolder() {
        static unsigned counter = 0;
        temporary_ = FolderOf(target_) + "/.vellumtide-" + std::to_string(::getpid()) + "-" +
                     std::to_string(++counter);
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW) != 0 &&
            ::linkat(fd_, "", AT_FDCWD, temporary_.c_str(), AT_EMPTY_PATH) != 0) {
            ThrowErrno(errno, target_);
        }
        kind_ = Kind::kNamed;  // from here on a failure must remove the name
    }

    void Flush() {
        WriteAll(fd_, buffer_.data(), buffer_.size(), target_);
        buffer_.clear();
    }

    int fd_;
    std::string target_;
    Kind kind_;
    bool replaces_;
    std::string temporary_;
    std::string buffer_;
    bool committed_ = false;
};

// The mode a new module gets: an existing module's, else the usual 0666
// less the umask.
mode_t ModuleMode(const struct stat* existing) {
    if (existing != nullptr) {
        return existing->st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::unique_ptr<ModuleOutput> OpenAtomicFileOutput(const std::string& requested) {
    if (requested.empty()) {
        throw ErrorException(err::kBadFileName, "No module file name was given.");
    }
    std::string path = requested;
    struct stat info {};
    bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists) {
        // Replace what a symbolic link points at, not the link.
        std::error_code ec;
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec) {
            path = resolved.string();
        }
        if (S_ISDIR(info.st_mode)) {
            ThrowErrno(EISDIR, requested);
        }
        if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) {
                ThrowErrno(errno, requested);
            }
            return std::make_unique<FileOutput>(fd, requested, FileOutput::Kind::kDirect, false);
        }
    }

    const std::string folder = FolderOf(path);
    const mode_t mode = ModuleMode(exists ? &info : nullptr);
    // An unnamed file leaves nothing behind, whatever ends the program.
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    std::unique_ptr<FileOutput> output;
    if (fd >= 0) {
        output = std::make_unique<FileOutput>(fd, path, FileOutput::Kind::kAnonymous, exists);
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        // A file system without unnamed files: a named one, removed on failure.
        std::string temporary = folder + "/.vellumtide-XXXXXX";
        fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd >= 0) {
            output = std::make_unique<FileOutput>(fd, path, FileOutput::Kind::kNamed, exists, temporary);
        }
    }
    if (fd < 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR) {
            throw ErrorException(err::kPathNotFound,
                                 "The folder '" + folder + "' does not exist.");
        }
        ThrowErrno(code, requested);
    }
    if (::fchmod(fd, mode) != 0) {
        ThrowErrno(errno, requested);
    }
    return output;
}

}  // namespace vt
