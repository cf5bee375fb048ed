#include "session/review_rows.h"

#include "engine/text_format.h"

namespace masuvo {

namespace {

std::string MinutesSeconds(int32_t seconds) { return Format("%d:%02d", seconds / 60, seconds % 60); }

const char* Mark(bool on) { return on ? "○" : "－"; }

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int ReviewedMoveCount(const std::vector<Log>& log) {
    const int n = static_cast<int>(log.size());
    return n > 0 && log.back().text == "-" ? n - 1 : n;
}

ReviewRow ReviewRowOf(const Log& entry, int k) {
    return {std::string(),
            std::to_string(k + 1),
            entry.text,
            MinutesSeconds(entry.points),
            MinutesSeconds(entry.seconds),
            std::to_string(static_cast<long long>(entry.points) - entry.seconds),
            Mark(entry.hinted),
            Mark(entry.detailed),
            Mark(entry.executed),
            Mark(entry.candidatesShown)};
}

SortKind ReviewSortKind(int column) {
    if (column == 3 || column == 4) return SortKind::Time;
    if (column == 0 || column == 1 || column == 5) return SortKind::Number;
    return SortKind::Text;
}

std::vector<HelpTopic> ReviewHelpTopics(const std::string& text) {
    static const std::string kFullStop = "。";
    std::vector<HelpTopic> topics;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(kFullStop, start);
        if (end == std::string::npos) end = text.size();
        std::string name = text.substr(start, end - start);
        start = end + kFullStop.size();
        if (name.empty()) continue;
        if (EndsWith(name, "です")) name.erase(name.size() - std::string("です").size());
        const size_t paren = name.find('(');
        if (paren != std::string::npos) name.erase(paren);
        if (!name.empty() && name.back() >= '0' && name.back() <= '9') name.pop_back();
        if (name.empty()) continue;  // no page to offer
        bool seen = false;
        for (const HelpTopic& topic : topics) seen = seen || topic.name == name;
        if (!seen) topics.push_back({name, "問題の解法_" + name + ".htm"});
    }
    return topics;
}

}  // namespace masuvo
