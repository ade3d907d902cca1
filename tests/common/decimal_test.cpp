#include "common/decimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace vt {
namespace {

std::string ToChars(double value) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The same text as std::to_chars for every kind of double: the edges by
// name, and random bit patterns over the whole range.
TEST(ShortestDecimal, WritesWhatToCharsWrites) {
    using limits = std::numeric_limits<double>;
    for (const double value : {0.0, -0.0, 1.0, -1.5, 0.1, 1e-5, 0.001, 1e20, 1e21, 1e22, 100000.0, 123456789.0,
                               1.0 / 3, 5e-324, limits::denorm_min(), limits::min(), limits::max(),
                               limits::lowest(), limits::infinity(), -limits::infinity(),
                               limits::quiet_NaN(), -limits::quiet_NaN(), 9007199254740993.0}) {
        EXPECT_EQ(ShortestDecimal(value), ToChars(value)) << ToChars(value);
    }
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 100000; ++i) {
        const double value = std::bit_cast<double>(random());
        ASSERT_EQ(ShortestDecimal(value), ToChars(value));
    }
    std::uniform_real_distribution<double> ordinary(-1e7, 1e7);  // values a property holds
    for (int i = 0; i < 100000; ++i) {
        const double value = ordinary(random);
        ASSERT_EQ(ShortestDecimal(value), ToChars(value));
        ASSERT_EQ(ShortestDecimal(std::round(value)), ToChars(std::round(value)));
    }
}

}  // namespace
}  // namespace vt
