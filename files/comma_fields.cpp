#include "files/comma_fields.h"

namespace masuvo {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::vector<std::string_view> SplitCommaFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ',') {
            ++i;
            continue;
        }
        size_t end = line.find(',', i);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(i, end - i));
        i = end;
    }
    return fields;
}

bool LenientInt(std::string_view field, int32_t& value) {
    size_t i = 0;
    while (i < field.size() && IsSpace(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    int64_t magnitude = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (field[i] - '0');
        if (magnitude > int64_t{INT32_MAX} + 1) return false;
    }
    int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN) return false;
    value = static_cast<int32_t>(result);
    return true;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace masuvo
