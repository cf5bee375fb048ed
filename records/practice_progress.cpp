#include "records/practice_progress.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace masuvo {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysOf(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string DateOf(long days) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long doe = days - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long d = doy - (153 * mp + 2) / 5 + 1;
    const long m = mp + (mp < 10 ? 3 : -9);
    const long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char text[16];
    std::snprintf(text, sizeof text, "%04ld/%02ld/%02ld", y, m, d);
    return text;
}

// The Monday of the week of "YYYY/MM/DD…" as days since 1970-01-01.
long MondayOf(const std::string& when) {
    const auto number = [&](size_t at, size_t length) {
        int value = 0;
        std::from_chars(when.data() + at, when.data() + at + length, value);
        return value;
    };
    const long days = DaysOf(number(0, 4), number(5, 2), number(8, 2));
    // 1970-01-01 was a Thursday: Monday is 3 days before.
    const long sinceMonday = ((days + 3) % 7 + 7) % 7;
    return days - sinceMonday;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

std::vector<DrillWeek> DrillWeeks(const std::vector<PracticeEntry>& record, int technique, int lastDrills) {
    std::vector<const PracticeEntry*> entries;
    for (const PracticeEntry& e : record)
        if (e.technique == technique) entries.push_back(&e);
    if (static_cast<int>(entries.size()) > lastDrills)
        entries.erase(entries.begin(), entries.end() - std::max(lastDrills, 0));
    // Record order is the order drills were played; a clock set back must not
    // split a week in two, so weeks are grouped by their Monday.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const PracticeEntry* a, const PracticeEntry* b) { return MondayOf(a->when) < MondayOf(b->when); });
    std::vector<DrillWeek> weeks;
    std::vector<double> ratios;
    long current = 0;
    for (const PracticeEntry* e : entries) {
        const long monday = MondayOf(e->when);
        if (weeks.empty() || monday != current) {
            if (!weeks.empty()) weeks.back().medianRatio = Median(std::move(ratios));
            ratios.clear();
            weeks.push_back({DateOf(monday)});
            current = monday;
        }
        DrillWeek& week = weeks.back();
        ++week.drills;
        if (e->hints > 0 || e->details > 0 || e->hintExecutions > 0 || !e->solved) ++week.helped;
        if (e->estimatedSeconds > 0) ratios.push_back(static_cast<double>(e->seconds) / e->estimatedSeconds);
    }
    if (!weeks.empty()) weeks.back().medianRatio = Median(std::move(ratios));
    return weeks;
}

std::string FormatDrillWeeks(const std::vector<DrillWeek>& weeks) {
    std::string text;
    for (const DrillWeek& week : weeks) {
        text += week.monday;
        text += ' ';
        if (week.medianRatio < 0) {
            text += "-";
        } else {
            const int bars = std::min(30, static_cast<int>(week.medianRatio * 10 + 0.5));
            for (int i = 0; i < bars; ++i) text += "■";
            // to_chars: "." whatever locale the window's toolkit set.
            char figure[32];
            const auto end = std::to_chars(figure, figure + sizeof figure, week.medianRatio, std::chars_format::fixed, 2);
            text += ' ';
            text.append(figure, end.ptr);
        }
        text += " (" + std::to_string(week.drills) + "問)\n";
    }
    return text;
}

}  // namespace masuvo
