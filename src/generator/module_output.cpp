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
    // `temporary` empty: `target` is written directly (a device or a pipe).
    FileOutput(int fd, std::string target, std::string temporary)
        : fd_(fd), target_(std::move(target)), temporary_(std::move(temporary)) {
        buffer_.reserve(kBufferSize);
    }

    ~FileOutput() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_ && !temporary_.empty()) {
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

    void Commit() override {
        Flush();
        if (temporary_.empty()) {
            committed_ = true;
            return;
        }
        if (::fsync(fd_) != 0) {
            ThrowErrno(errno, target_);
        }
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            ThrowErrno(errno, target_);
        }
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
            ThrowErrno(errno, target_);
        }
        committed_ = true;
    }

private:
    void Flush() {
        WriteAll(fd_, buffer_.data(), buffer_.size(), target_);
        buffer_.clear();
    }

    int fd_;
    std::string target_;
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
            return std::make_unique<FileOutput>(fd, requested, std::string());
        }
    }

    const std::string folder = FolderOf(path);
    std::string temporary = folder + "/.vellumtide-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR) {
            throw ErrorException(err::kPathNotFound,
                                 "The folder '" + folder + "' does not exist.");
        }
        ThrowErrno(code, requested);
    }
    auto output = std::make_unique<FileOutput>(fd, path, temporary);
    if (::fchmod(fd, ModuleMode(exists ? &info : nullptr)) != 0) {
        ThrowErrno(errno, requested);
    }
    return output;
}

}  // namespace vt
