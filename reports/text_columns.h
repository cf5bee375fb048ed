// Display widths of report texts: a character above U+007F takes two columns.
#pragma once

#include <string>

namespace masuvo {

int DisplayWidth(const std::string& utf8);
std::string PadRight(const std::string& utf8, int columns);
std::string PadLeft(const std::string& utf8, int columns);
// 1234567 -> "1,234,567"; negative values get a leading "-".
std::string WithSeparators(long long value);

}  // namespace masuvo
