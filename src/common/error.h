#pragma once
// The pending error: one failure at a time, with the platform's error number,
// a description and the component that raised it.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vt {

// Error numbers the program raises or expects, as the platform numbers them.
namespace err {
inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kInvalidArgument = 5;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kInternal = 51;
inline constexpr std::int32_t kBadFileName = 52;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kDeviceIo = 57;
inline constexpr std::int32_t kDiskFull = 61;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kPathFileAccess = 75;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kDialogCancelled = 32755;
// Engine errors.
inline constexpr std::int32_t kEngineFileNotFound = 3024;
inline constexpr std::int32_t kEngineBadPassword = 3031;
inline constexpr std::int32_t kEngineDamaged = 3049;
inline constexpr std::int32_t kEngineNoPermission = 3051;
inline constexpr std::int32_t kEngineUnrecognisedFormat = 3343;
}  // namespace err

// Sources named in error reports.
inline constexpr const char* kRuntimeSource = "Vellumtide";
inline constexpr const char* kEngineSource = "DAO.DBEngine";

struct ErrorRecord {
    std::int32_t number = err::kNone;
    std::string description;
    std::string source;
};

// Thrown by failing operations; the handler of the procedure that arms one
// turns it into the pending error and reports it.
class ErrorException : public std::runtime_error {
public:
    explicit ErrorException(ErrorRecord record)
        : std::runtime_error(record.description), record_(std::move(record)) {}
    ErrorException(std::int32_t number, std::string description,
                   std::string source = kRuntimeSource)
        : ErrorException(ErrorRecord{number, std::move(description), std::move(source)}) {}

    const ErrorRecord& record() const { return record_; }
    std::int32_t number() const { return record_.number; }

private:
    ErrorRecord record_;
};

// Maps an operating-system error code (errno) met while working on `path`
// to the platform's error number and a description in our words.
ErrorRecord ErrorFromErrno(int errnoValue, const std::string& path);

// The record that an exception in flight stands for; non-platform
// exceptions become "out of memory" or an internal error.
ErrorRecord ErrorFromCurrentException();

class PendingError {
public:
    void Set(ErrorRecord record) { record_ = std::move(record); }
    void Clear() { record_ = ErrorRecord{}; }
    std::int32_t Number() const { return record_.number; }
    const ErrorRecord& Record() const { return record_; }

private:
    ErrorRecord record_;
};

}  // namespace vt
