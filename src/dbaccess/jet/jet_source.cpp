#include "dbaccess/jet/jet_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vt::jet {
namespace {

[[noreturn]] void EngineError(std::int32_t number, const std::string& description) {
    throw ErrorException(number, description, kEngineSource);
}

[[noreturn]] void OpenFailed(int code, const std::string& path) {
    if (code == EACCES || code == EPERM) {
        EngineError(err::kEngineNoPermission, "You have no permission to open '" + path + "'.");
    }
    if (code == ENOENT || code == ENOTDIR) {
        EngineError(err::kEngineFileNotFound, "The file '" + path + "' cannot be found.");
    }
    EngineError(err::kEngineUnrecognisedFormat,
                "'" + path + "' could not be opened: " + std::strerror(code) + ".");
}

}  // namespace

void MemorySource::Read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > data_.size() || out.size() > data_.size() - offset) {
        Damaged("a page lies past the end of the file");
    }
    std::memcpy(out.data(), data_.data() + offset, out.size());
}

FileSource::FileSource(const std::string& path) : path_(path) {
    // Not blocking: a FIFO would otherwise wait in open() for a writer.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        OpenFailed(errno, path);
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const int code = errno;
        ::close(fd_);
        OpenFailed(code, path);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd_);
        EngineError(err::kEngineUnrecognisedFormat,
                    "'" + path + (S_ISDIR(info.st_mode) ? "' is a folder, not a database."
                                                        : "' is not a regular file, so not a database."));
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    if (size_ == 0) {
        ::close(fd_);
        EngineError(err::kEngineUnrecognisedFormat, "'" + path + "' is empty, not a database.");
    }
}

FileSource::~FileSource() { ::close(fd_); }

void FileSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            EngineError(err::kEngineDamaged, "'" + path_ + "' could not be read: " +
                                                 std::strerror(errno) + ".");
        }
        if (n == 0) {
            Damaged("the file became shorter while it was read");
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace vt::jet
