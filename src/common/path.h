#pragma once
// Splitting paths into folder, file name and extension. Both "\" and "/"
// separate folders, so Windows paths carried in schema files split too.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/show_error.h"

namespace vt {

inline constexpr std::int32_t kAttributeDirectory = 16;

// The attributes of `path` (kAttributeDirectory for a folder); throws
// ErrorException with 5 (empty path), 53 (no such file), 76 (no such
// folder on the way) or another platform number.
std::int32_t QueryPathAttributes(const std::string& path);

using AttributeQuery = std::function<std::int32_t(const std::string&)>;

// Splits `path`. Each output may be null (not asked for). An `extension`
// that holds no value is the Null marker: the file name then keeps its
// extension and the marker stays Null. Failures other than 5, 53 and 76
// are reported as "StripFilePath()" and leave every output empty; no error
// stays pending. Returns false after such a reported failure.
bool StripFilePath(const std::string& path, std::string* folder, std::string* fileName,
                   std::optional<std::string>* extension, Reporter& reporter,
                   const AttributeQuery& query = QueryPathAttributes);

// Convenience modes: the file name with its extension, and the name
// without it; none after a reported failure.
std::optional<std::string> FileNameWithExtension(const std::string& path, Reporter& reporter);
std::optional<std::string> BaseName(const std::string& path, Reporter& reporter);

// Leading and trailing spaces removed (spaces only, as the platform's Trim).
std::string TrimSpaces(const std::string& text);

}  // namespace vt
