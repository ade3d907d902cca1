#include "common/path.h"

#include <sys/stat.h>

#include <cerrno>

namespace vt {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::int32_t MissingPathError(const std::string& path) {
    // A missing file in an existing folder is "file not found"; a missing
    // folder on the way is "path not found".
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return err::kFileNotFound;
    }
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat info {};
    if (::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return err::kFileNotFound;
    }
    return err::kPathNotFound;
}

void ClearParts(std::string* folder, std::string* fileName, std::optional<std::string>* extension) {
    if (folder != nullptr) {
        folder->clear();
    }
    if (fileName != nullptr) {
        fileName->clear();
    }
    if (extension != nullptr) {
        *extension = std::string();
    }
}

}  // namespace

std::string TrimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::int32_t QueryPathAttributes(const std::string& path) {
    if (path.empty()) {
        throw ErrorException(err::kInvalidArgument, "An empty path was given.");
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int code = errno;
        ErrorRecord record = ErrorFromErrno(code, path);
        if (code == ENOENT) {
            record.number = MissingPathError(path);
            if (record.number == err::kPathNotFound) {
                record.description = "A folder on the path '" + path + "' does not exist.";
            }
        }
        throw ErrorException(std::move(record));
    }
    return S_ISDIR(info.st_mode) ? kAttributeDirectory : 0;
}

bool StripFilePath(const std::string& path, std::string* folder, std::string* fileName,
                   std::optional<std::string>* extension, Reporter& reporter,
                   const AttributeQuery& query) {
    reporter.pending.Clear();
    std::int32_t failure = err::kNone;
    try {
        if ((query(path) & kAttributeDirectory) != 0) {
            ClearParts(folder, fileName, extension);
            if (folder != nullptr) {
                *folder = !path.empty() && IsSeparator(path.back())
                              ? path.substr(0, path.size() - 1)
                              : path;
            }
            return true;
        }
    } catch (const ErrorException& e) {
        failure = e.number();
        if (failure != err::kInvalidArgument && failure != err::kFileNotFound &&
            failure != err::kPathNotFound) {
            reporter.pending.Set(e.record());
            ClearParts(folder, fileName, extension);
            ShowError(reporter, "StripFilePath()");
            return false;
        }
    }

    const auto separator = path.find_last_of("\\/");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    if (folder != nullptr && separator != std::string::npos) {
        *folder = path.substr(0, separator);
    }
    const auto dot = path.find('.', nameStart);
    const bool extensionIsNull = extension != nullptr && !extension->has_value();
    if (dot != std::string::npos) {
        if (extension != nullptr && !extensionIsNull) {
            *extension = TrimSpaces(path.substr(dot + 1));
        }
        if (fileName != nullptr) {
            *fileName = extensionIsNull ? TrimSpaces(path.substr(nameStart))
                                        : TrimSpaces(path.substr(nameStart, dot - nameStart));
        }
    } else {
        if (fileName != nullptr) {
            *fileName = TrimSpaces(path.substr(nameStart));
        }
        if (extension != nullptr && !extensionIsNull) {
            *extension = std::string();
        }
    }
    return true;
}

std::optional<std::string> FileNameWithExtension(const std::string& path, Reporter& reporter) {
    std::string name;
    std::optional<std::string> nullExtension;
    if (!StripFilePath(path, nullptr, &name, &nullExtension, reporter)) {
        return std::nullopt;
    }
    return name;
}

std::optional<std::string> BaseName(const std::string& path, Reporter& reporter) {
    std::string name;
    std::optional<std::string> extension{std::string()};
    if (!StripFilePath(path, nullptr, &name, &extension, reporter)) {
        return std::nullopt;
    }
    return name;
}

}  // namespace vt
