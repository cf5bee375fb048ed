// printf-style formatting of the engine's fixed message texts.
#pragma once

#include <cstdio>
#include <string>

namespace masuvo {

template <typename... Args>
std::string Format(const char* pattern, Args... args) {
    char buffer[256];
    const int length = std::snprintf(buffer, sizeof buffer, pattern, args...);
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) < sizeof buffer) return std::string(buffer, length);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern, args...);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace masuvo
