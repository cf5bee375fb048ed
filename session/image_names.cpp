#include "session/image_names.h"

#include <array>

namespace masuvo {

namespace {

// Turns C0 controls, DEL and the UTF-8 encoded C1 controls into "_".
std::string WithoutControls(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '_';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += '_';
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string AfterLast(const std::string& text, char c) {
    const size_t at = text.rfind(c);
    return at == std::string::npos ? std::string() : text.substr(at + 1);
}

// The longest prefix of at most limit bytes that does not cut a UTF-8 character.
std::string CutUtf8(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

std::string ImageFileTitle(const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    // A name without any "." has no title: everything up to the last "."
    // is the title, and there is none.
    const size_t dot = base.rfind('.');
    base.erase(dot == std::string::npos ? 0 : dot);
    return WithoutControls(base);
}

std::string TimeStampTitle(const std::string& prefix, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "(%Y%m%d%H%M%S)", &local);
    return prefix + stamp;
}

bool HasPictureExtension(const std::string& path) {
    if (path.find('.') == std::string::npos) return false;
    static const std::array<const char*, 6> kExtensions = {"png", "bmp", "jpg", "gif", "tif", "webp"};
    const std::string extension = AfterLast(path, '.');
    for (const char* known : kExtensions)
        if (extension == known) return true;
    return false;
}

bool IsPictureAddress(const std::string& text) { return text.starts_with("http") && HasPictureExtension(text); }

bool DownloadFileName(const std::string& address, std::string& name) {
    const size_t slash = address.rfind('/');
    std::string base = slash == std::string::npos ? address : address.substr(slash + 1);
    for (char& c : base)
        if (c == '\\') c = '_';
    base = WithoutControls(base);
    constexpr size_t kMaxName = 255;
    if (base.size() > kMaxName) {
        const size_t dot = base.rfind('.');
        const std::string extension = dot == std::string::npos ? std::string() : base.substr(dot);
        if (extension.size() < kMaxName / 2) {
            base = CutUtf8(base.substr(0, base.size() - extension.size()), kMaxName - extension.size()) + extension;
        } else {
            base = CutUtf8(base, kMaxName);
        }
    }
    if (base.empty() || base == "." || base == "..") return false;
    name = base;
    return true;
}

}  // namespace masuvo
