#include "common/decimal.h"

#include <double-conversion/double-to-string.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vt {

std::string ShortestDecimal(double value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    using double_conversion::DoubleToStringConverter;
    char buffer[DoubleToStringConverter::kBase10MaximalLength + 1];
    bool negative = false;
    int length = 0;
    int point = 0;  // value = 0.digits × 10^point
    DoubleToStringConverter::DoubleToAscii(value, DoubleToStringConverter::SHORTEST, 0, buffer,
                                           sizeof buffer, &negative, &length, &point);
    const std::string_view digits(buffer, static_cast<std::size_t>(length));

    std::string plain;
    if (point <= 0) {
        plain.append("0.").append(static_cast<std::size_t>(-point), '0').append(digits);
    } else if (point < length) {
        const auto whole = static_cast<std::size_t>(point);
        plain.append(digits.substr(0, whole)).append(".").append(digits.substr(whole));
    } else {
        // A whole number is written with its exact digits, as printf's %.0f
        // writes it, not the shortest ones and zeros.
        char whole[400];
        const int n = std::snprintf(whole, sizeof whole, "%.0f", negative ? -value : value);
        plain.assign(whole, static_cast<std::size_t>(n));
    }
    std::string exponent(digits.substr(0, 1));
    if (length > 1) {
        exponent.append(".").append(digits.substr(1));
    }
    const int power = point - 1;
    exponent.append(power < 0 ? "e-" : "e+");
    if (std::abs(power) < 10) {
        exponent.append("0");
    }
    exponent.append(std::to_string(std::abs(power)));

    std::string text = negative ? "-" : "";
    text.append(plain.size() <= exponent.size() ? plain : exponent);
    return text;
}

}  // namespace vt
