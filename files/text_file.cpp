#include "files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace masuvo {

std::string SystemErrorText(int error) {
    char buffer[256];
    // The GNU variant: returns the text, which may or may not be in buffer.
    std::string text = ::strerror_r(error, buffer, sizeof buffer);
    if (text.size() > 255) {
        size_t cut = 255;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    return text;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, int& error, size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    auto fail = [&](int code) {
        ::close(fd);
        error = code;
        return false;
    };
    struct stat info;
    if (::fstat(fd, &info) != 0) return fail(errno);
    if (S_ISDIR(info.st_mode)) return fail(EISDIR);
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (count == 0) break;
        if (content.size() + static_cast<size_t>(count) > maxBytes) return fail(EFBIG);
        content.append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    bytes = std::move(content);
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

}  // namespace masuvo
