#include "reports/text_columns.h"

namespace masuvo {

int DisplayWidth(const std::string& utf8) {
    int width = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) == 0x80) continue;  // continuation byte
        width += c < 0x80 ? 1 : 2;
    }
    return width;
}

std::string PadRight(const std::string& utf8, int columns) {
    const int width = DisplayWidth(utf8);
    return width >= columns ? utf8 : utf8 + std::string(columns - width, ' ');
}

std::string PadLeft(const std::string& utf8, int columns) {
    const int width = DisplayWidth(utf8);
    return width >= columns ? utf8 : std::string(columns - width, ' ') + utf8;
}

std::string WithSeparators(long long value) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? 0 - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value));
    std::string out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

}  // namespace masuvo
