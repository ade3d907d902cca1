#include "ui/about_text.h"

#include <sstream>

namespace vt::ui {

QString OsLine(const std::optional<OsVersion>& version) {
    const QString unknown = QStringLiteral("Unknown Operating System");
    if (!version) {
        return unknown;
    }
    const QString number = QString::number(version->major) + "." + QString::number(version->minor);
    if (!version->systemName.empty()) {
        return QString::fromStdString(version->systemName) + ", version " + number;
    }
    switch (version->platformId) {
    case 0:
        return "Windows 3.1, version " + number;
    case 1:
        return "Windows 95, version " + number;
    case 2:
        return "Windows NT, version " + number;
    default:
        return unknown;
    }
}

QString FreeMemoryLine(std::int64_t availableBytes, const QLocale& userLocale) {
    constexpr std::int64_t kMebibyte = 1048576;
    // The patterns always group thousands, also where the locale (such as
    // "C") would leave the separators out by default.
    QLocale locale = userLocale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    QString amount;
    if (availableBytes <= kMebibyte) {
        amount = locale.toString(static_cast<double>(availableBytes) / 1024.0, 'f', 2) + " KB";
    } else {
        amount = locale.toString(static_cast<double>(availableBytes) / 1048576.0, 'f', 2) + " MB";
    }
    return "Free Physical Memory = " + amount;
}

QString MemoryLoadLine(std::uint32_t percent) {
    return "System Memory Utilization = " + QString::number(percent) + " %";
}

std::optional<MemoryStatus> ParseMeminfo(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::optional<std::int64_t> total, available, free;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        std::int64_t kib = 0;
        if (!(fields >> name >> kib)) {
            continue;
        }
        if (name == "MemTotal:") {
            total = kib * 1024;
        } else if (name == "MemAvailable:") {
            available = kib * 1024;
        } else if (name == "MemFree:") {
            free = kib * 1024;
        }
    }
    if (!available) {
        available = free;
    }
    if (!total || !available || *total <= 0) {
        return std::nullopt;
    }
    MemoryStatus status;
    status.availablePhysical = *available;
    const std::int64_t used = *total - *available;
    status.memoryLoad = static_cast<std::uint32_t>(
        used <= 0 ? 0 : (used * 100 + *total / 2) / *total);
    return status;
}

std::optional<OsVersion> ParseKernelRelease(const std::string& systemName,
                                            const std::string& release) {
    OsVersion version;
    version.systemName = systemName;
    unsigned long major = 0, minor = 0;
    char dot = 0;
    std::istringstream in(release);
    if (systemName.empty() || !(in >> major >> dot >> minor) || dot != '.') {
        return std::nullopt;
    }
    version.major = static_cast<std::uint32_t>(major);
    version.minor = static_cast<std::uint32_t>(minor);
    return version;
}

}  // namespace vt::ui
