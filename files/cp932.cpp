#include "files/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace masuvo {

namespace {

// glibc's "SHIFT_JIS" lacks ～ － ∥ and the NEC/IBM extensions; "CP932" is
// the table Windows programs write.
constexpr const char* kCodePage = "CP932";

// One conversion descriptor per thread and direction: iconv_t keeps shift
// state, so it must not be shared, and opening one per call is wasteful.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; stops at an invalid or unconvertible
    // sequence, leaving in/inLeft on it. Returns the errno of the stop, or 0.
    int Run(const char*& in, size_t& inLeft, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[1024];
        while (inLeft > 0) {
            char* inPtr = const_cast<char*>(in);
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            int error = result == static_cast<size_t>(-1) ? errno : 0;
            in = inPtr;
            out.append(buffer, outPtr);
            if (error == E2BIG) continue;
            if (error != 0) return error;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

Converter& ToCp932() {
    thread_local Converter converter(kCodePage, "UTF-8");
    return converter;
}

Converter& FromCp932() {
    thread_local Converter converter("UTF-8", kCodePage);
    return converter;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when the
// bytes there are not a well-formed sequence (overlong forms and surrogates
// included).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t length;
    char32_t minimum;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Not a character: CodePageForm's answer for "write ?". (U+0000 is a
// character the code page has, and must pass through as itself.)
constexpr char32_t kNoForm = 0xFFFFFFFF;

// The code point to encode in place of cp, or kNoForm.
char32_t CodePageForm(char32_t cp) {
    switch (cp) {
        case 0x301C: return 0xFF5E;  // 〜 → ～
        case 0x2212: return 0xFF0D;  // − → －
        case 0x2016: return 0x2225;  // ‖ → ∥
        case 0x2014: return 0x2015;  // — → ―
        case 0x00A2: return 0xFFE0;  // ¢ → ￠
        case 0x00A3: return 0xFFE1;  // £ → ￡
        case 0x00AC: return 0xFFE2;  // ¬ → ￢
        // glibc writes ¥ and ‾ as the bytes of \ and ~, which read back as
        // other characters (a backslash in a log text even turns into a
        // comma); the code page has neither.
        case 0x00A5:
        case 0x203E: return kNoForm;
        default: return cp;
    }
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
    // First a clean UTF-8 text in which every character is either encodable
    // or already "?", so that iconv only has to skip what the table lacks.
    std::string clean;
    clean.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            clean += '?';
            ++i;
            continue;
        }
        char32_t mapped = CodePageForm(cp);
        if (mapped == kNoForm)
            clean += '?';
        else
            AppendUtf8(mapped, clean);
        i += length;
    }

    std::string out;
    out.reserve(clean.size());
    const char* in = clean.data();
    size_t inLeft = clean.size();
    while (inLeft > 0) {
        if (ToCp932().Run(in, inLeft, out) == 0) break;
        // A character outside the table: skip its whole sequence.
        char32_t cp;
        size_t length = DecodeUtf8(std::string_view(in, inLeft), 0, cp);
        if (length == 0) length = 1;
        out += '?';
        in += length;
        inLeft -= length;
    }
    return out;
}

bool Cp932ToUtf8(std::string_view cp932, std::string& utf8) {
    utf8.clear();
    utf8.reserve(cp932.size() * 3 / 2);
    bool valid = true;
    const char* in = cp932.data();
    size_t inLeft = cp932.size();
    while (inLeft > 0) {
        if (FromCp932().Run(in, inLeft, utf8) == 0) break;
        valid = false;
        AppendUtf8(0xFFFD, utf8);
        ++in;
        --inLeft;
    }
    return valid;
}

}  // namespace masuvo
