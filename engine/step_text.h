// The message of one technique application, held inline so that recording a
// step never touches the heap (the generator records millions of them).
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace masuvo {

class StepText {
public:
    static constexpr size_t kCapacity = 95;  // bytes of UTF-8; the longest message needs 36

    StepText() = default;
    StepText(const char* text) { Assign(text, std::strlen(text)); }  // NOLINT: messages are assigned as literals
    StepText(const std::string& text) { Assign(text.data(), text.size()); }  // NOLINT

    StepText& operator=(const char* text) {
        Assign(text, std::strlen(text));
        return *this;
    }
    StepText& operator=(const std::string& text) {
        Assign(text.data(), text.size());
        return *this;
    }

    // printf-style, straight into the inline buffer.
    template <typename... Args>
    void Format(const char* pattern, Args... args) {
        const int length = std::snprintf(data_, sizeof data_, pattern, args...);
        size_ = length < 0 ? 0 : static_cast<unsigned char>(std::min<size_t>(length, kCapacity));
        data_[size_] = '\0';
    }

    const char* c_str() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {data_, size_}; }
    operator std::string_view() const { return view(); }  // NOLINT: reads like a string
    std::string str() const { return std::string(view()); }

    friend bool operator==(const StepText& a, const StepText& b) { return a.view() == b.view(); }
    friend bool operator==(const StepText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const StepText& a, const char* b) { return a.view() == std::string_view(b); }
    friend bool operator==(const StepText& a, const std::string& b) { return a.view() == std::string_view(b); }
    friend std::ostream& operator<<(std::ostream& out, const StepText& text) { return out << text.view(); }

private:
    void Assign(const char* text, size_t length) {
        if (length > kCapacity) {
            // Cut at a character boundary rather than inside a UTF-8 sequence.
            length = kCapacity;
            while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
        }
        std::memcpy(data_, text, length);
        size_ = static_cast<unsigned char>(length);
        data_[size_] = '\0';
    }

    char data_[kCapacity + 1] = {};
    unsigned char size_ = 0;
};

}  // namespace masuvo
