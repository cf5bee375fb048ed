#include "session/session_text.h"

#include <charconv>
#include <cstdlib>

#include "engine/text_format.h"

namespace masuvo {

namespace {

const std::string kFullStop = "。";

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Drops the last n UTF-8 characters.
void DropLastCharacters(std::string& text, int n) {
    while (n-- > 0 && !text.empty()) {
        size_t at = text.size() - 1;
        while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
        text.erase(at);
    }
}

// The technique name of a sentence: up to its first "(", without a final digit.
std::string TechniqueOfSentence(std::string text) {
    const size_t paren = text.find('(');
    if (paren != std::string::npos) text.erase(paren);
    if (!text.empty() && text.back() >= '0' && text.back() <= '9') text.pop_back();
    return text;
}

}  // namespace

std::string TimeText(int64_t seconds) {
    return Format("%lld分 %02lld秒", static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
}

std::string OneDecimal(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

std::string DigitCountText(int count) {
    if (count == 9) return "○";
    if (count == 8) return "△";
    if (count == 0) return "－";
    if (count > 9) return "！";
    return std::to_string(count);
}

int CountSentences(const std::string& text) {
    int count = 0;
    for (size_t at = text.find(kFullStop); at != std::string::npos; at = text.find(kFullStop, at + kFullStop.size()))
        ++count;
    return count;
}

std::string HintDialogText(const std::string& hintText) {
    std::string text = hintText;
    ReplaceAll(text, kFullStop, ";");
    int separators = 0;
    for (char c : text)
        if (c == ';') ++separators;
    if (separators <= 1) return std::string();
    text.pop_back();
    return text;
}

void SplitHintDialogText(const std::string& dialogText, std::vector<std::string>& items, std::string& conclusion) {
    items.clear();
    const size_t last = dialogText.rfind(';');
    if (last == std::string::npos) {
        conclusion.assign(1, ' ');
        conclusion += dialogText;
        return;
    }
    conclusion.assign(1, ' ');
    conclusion.append(dialogText, last + 1, std::string::npos);
    size_t start = 0;
    while (start < last) {
        size_t end = dialogText.find(';', start);
        if (end == std::string::npos || end > last) end = last;
        if (end > start) items.push_back(dialogText.substr(start, end - start));
        start = end + 1;
    }
}

std::vector<HelpTopic> HintHelpTopics(const std::vector<std::string>& items, const std::string& conclusion) {
    std::vector<std::string> names;
    for (const std::string& item : items) names.push_back(TechniqueOfSentence(item));
    std::string last = conclusion;
    if (!last.empty() && last.front() == ' ') last.erase(0, 1);
    DropLastCharacters(last, 2);
    names.push_back(TechniqueOfSentence(last));

    std::vector<HelpTopic> topics;
    for (const std::string& name : names) {
        bool seen = false;
        for (const HelpTopic& topic : topics) seen = seen || topic.name == name;
        if (!seen) topics.push_back({name, "問題の解法_" + name + ".htm"});
    }
    return topics;
}

std::string SafeFileNamePart(const std::string& name) {
    if (name == "." || name == "..") return "_";
    std::string safe = name;
    for (char& c : safe) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) c = '_';
    }
    return safe;
}

std::string FileStem(const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.erase(dot);
    return base;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace masuvo
