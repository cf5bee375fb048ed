#include "records/list_sort.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>

#include "files/comma_fields.h"

namespace masuvo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A signed whole number at the start of the text; digits beyond what 64
// bits hold are dropped, so a hand-edited monster still orders sensibly.
int64_t LeadingInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (magnitude < INT64_MAX / 100) magnitude = magnitude * 10 + (text[i] - '0');
    return negative ? -magnitude : magnitude;
}

// "m:ss" as seconds; a text without a colon is minutes only. Each part
// keeps its own sign, as "%d:%02d" writes a negative time ("-1:-5"). The
// 時:分 column shows the record's own fields, so either part can be any
// number a hand-edited file holds: a time beyond 64 bits of seconds counts
// as the largest (or most negative) time.
int64_t TimeSeconds(std::string_view text) {
    size_t colon = text.find(':');
    int64_t minutes = LeadingInt(text.substr(0, colon));
    int64_t seconds = colon == std::string_view::npos ? 0 : LeadingInt(text.substr(colon + 1));
    int64_t total;
    if (__builtin_mul_overflow(minutes, int64_t{60}, &total) || __builtin_add_overflow(total, seconds, &total))
        return minutes < 0 ? INT64_MIN : INT64_MAX;
    return total;
}

// The number at the start of the text, read with "." as the decimal point
// whatever the locale; anything else (and NaN) is 0.
double NumberValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool plus = i < text.size() && text[i] == '+';
    if (plus) ++i;
    bool negative = !plus && i < text.size() && text[i] == '-';
    size_t digits = negative ? i + 1 : i;
    // from_chars would also read "inf" and "nan", which are no numbers here.
    if (digits >= text.size() || !((text[digits] >= '0' && text[digits] <= '9') || text[digits] == '.')) return 0;
    double value = 0;
    auto result = std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond a double: a non-zero whole part is huge, anything else tiny.
        for (size_t k = digits; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k)
            if (text[k] != '0') return negative ? -HUGE_VAL : HUGE_VAL;
        return 0;
    }
    return result.ec == std::errc() ? value : 0;
}

// The UTF-16 code units of UTF-8 text; an invalid byte is U+FFFD.
std::u16string Utf16Units(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t code = 0xFFFD;
        size_t length = 1;
        if (c < 0x80) {
            code = c;
        } else {
            size_t need = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
            if (c > 0xF4) need = 0;
            if (need != 0 && i + need <= text.size()) {
                char32_t value = c & (0xFF >> (need + 1));
                bool valid = true;
                for (size_t k = 1; k < need; ++k) {
                    unsigned char next = static_cast<unsigned char>(text[i + k]);
                    if ((next & 0xC0) != 0x80) {
                        valid = false;
                        break;
                    }
                    value = (value << 6) | (next & 0x3F);
                }
                static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
                if (valid && value >= kLeast[need] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
                    code = value;
                    length = need;
                }
            }
        }
        if (code > 0xFFFF) {
            code -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (code >> 10));
            units += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
        i += length;
    }
    return units;
}

template <typename T>
int Sign(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// Sorts the rows by keys computed once per row: a 10,000-row list would
// otherwise convert every text some 280,000 times.
template <typename Key, typename MakeKey>
void SortByKeys(std::vector<int>& order, const std::function<const std::string&(int row)>& text, bool descending,
                MakeKey makeKey) {
    std::vector<std::pair<Key, int>> keyed;
    keyed.reserve(order.size());
    for (int row : order) keyed.emplace_back(makeKey(text(row)), row);
    if (descending)
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < order.size(); ++i) order[i] = keyed[i].second;
}

}  // namespace

int CompareListTexts(SortKind kind, const std::string& a, const std::string& b) {
    switch (kind) {
        case SortKind::Time:
            return Sign(TimeSeconds(a), TimeSeconds(b));
        case SortKind::Number:
            return Sign(NumberValue(a), NumberValue(b));
        case SortKind::Text:
            break;
    }
    // char16_t is unsigned, so the string order is the code-unit order with
    // a prefix first.
    int result = Utf16Units(a).compare(Utf16Units(b));
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

void SortRows(std::vector<int>& order, const std::function<const std::string&(int row)>& text, SortKind kind,
              bool descending) {
    switch (kind) {
        case SortKind::Time:
            SortByKeys<int64_t>(order, text, descending, [](const std::string& t) { return TimeSeconds(t); });
            return;
        case SortKind::Number:
            SortByKeys<double>(order, text, descending, [](const std::string& t) { return NumberValue(t); });
            return;
        case SortKind::Text:
            SortByKeys<std::u16string>(order, text, descending, [](const std::string& t) { return Utf16Units(t); });
            return;
    }
}

}  // namespace masuvo
