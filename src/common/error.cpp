#include "common/error.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

namespace vt {

ErrorRecord ErrorFromErrno(int errnoValue, const std::string& path) {
    const std::string quoted = "'" + path + "'";
    switch (errnoValue) {
        case ENOENT:
            return {err::kFileNotFound, "There is no file " + quoted + ".", kRuntimeSource};
        case ENOTDIR:
            return {err::kPathNotFound, "A folder on the path " + quoted + " does not exist.",
                    kRuntimeSource};
        case EACCES:
        case EPERM:
        case EROFS:
            return {err::kPermissionDenied, "Permission to use " + quoted + " was refused.",
                    kRuntimeSource};
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return {err::kDiskFull, "The disk is full while writing " + quoted + ".",
                    kRuntimeSource};
        case EIO:
            return {err::kDeviceIo, "The device failed while accessing " + quoted + ".",
                    kRuntimeSource};
        case ENAMETOOLONG:
        case EINVAL:
            return {err::kBadFileName, "The file name " + quoted + " cannot be used.",
                    kRuntimeSource};
        case EISDIR:
            return {err::kPathFileAccess, quoted + " is a folder, not a file.", kRuntimeSource};
        case ENOMEM:
            return {err::kOutOfMemory, "There is not enough memory.", kRuntimeSource};
        default:
            return {err::kPathFileAccess,
                    "Cannot access " + quoted + ": " + std::strerror(errnoValue) + ".",
                    kRuntimeSource};
    }
}

ErrorRecord ErrorFromCurrentException() {
    try {
        throw;
    } catch (const ErrorException& e) {
        return e.record();
    } catch (const std::bad_alloc&) {
        return {err::kOutOfMemory, "There is not enough memory.", kRuntimeSource};
    } catch (const std::exception& e) {
        return {err::kInternal, std::string("Internal error: ") + e.what(), kRuntimeSource};
    }
}

}  // namespace vt
