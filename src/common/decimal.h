#pragma once

#include <string>

namespace vt {

// The shortest decimal text that reads back as `value`, as std::to_chars
// writes it: plain or with an exponent ("1e+20"), whichever is shorter.
// The C++ library's own std::to_chars for doubles would load the maths
// library into every run for the two functions it asks of it.
std::string ShortestDecimal(double value);

}  // namespace vt
