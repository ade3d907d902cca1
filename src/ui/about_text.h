#pragma once
// The system lines of the About box, from whatever figures the platform
// supplies.

#include <optional>
#include <string>

#include <QLocale>
#include <QString>

#include "ui/platform.h"

namespace vt::ui {

// "Windows NT, version 4.0", "Linux, version 6.1" or "Unknown Operating System".
QString OsLine(const std::optional<OsVersion>& version);

// "Free Physical Memory = 1,024.00 KB": KB up to one mebibyte, MB above,
// grouped and with two decimals in `locale`.
QString FreeMemoryLine(std::int64_t availableBytes, const QLocale& locale);

// "System Memory Utilization = 42 %".
QString MemoryLoadLine(std::uint32_t percent);

// Reads MemAvailable (MemFree when absent) and MemTotal from the text of
// /proc/meminfo; none when they are missing.
std::optional<MemoryStatus> ParseMeminfo(const std::string& text);

// "6.1.0-13-amd64" -> 6 and 1.
std::optional<OsVersion> ParseKernelRelease(const std::string& systemName,
                                            const std::string& release);

}  // namespace vt::ui
