// The practice record 練習記録.csv in the data folder: one line per finished
// drill. Drills stay out of 達成記録.csv and 完成問題/, so the history keeps
// the player's real plays only. Code page 932, CR LF, like the achievement
// record, and appended the same way (locked, cut back on failure).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace masuvo {

constexpr const char* kPracticeRecordName = "練習記録.csv";

struct PracticeEntry {
    std::string when;  // "YYYY/MM/DD HH:MM:SS", local time
    int technique = 0;  // catalogue index
    int number = 0;     // drill number, from 1
    int seconds = 0;
    int hints = 0;
    int details = 0;
    int hintExecutions = 0;
    bool solved = false;
    // The judged points of the drill's answer: kept so the boxes can be
    // replayed from the record alone.
    int estimatedSeconds = 0;
};

// The header line, without line end.
std::string PracticeRecordHeader();
// One entry as a record line, without line end.
std::string PracticeRecordLine(const PracticeEntry& entry);
// The entry of one record line; false for a header, deleted, blank or
// damaged line.
bool ParsePracticeRecordLine(const std::string& line, PracticeEntry& entry);

// Appends the entry, starting the file with its header when it is missing
// or empty. A damaged file keeps every byte; the new line goes after it.
// On failure the file is cut back to its length before, and error (when
// given) holds "練習記録ファイルをオープンできません。：\n" plus the reason.
bool AppendPracticeEntry(const std::filesystem::path& file, const PracticeEntry& entry, std::string* error);

// Every readable entry in file order. A missing file gives none; lines that
// cannot be read are skipped and counted in skippedLines (the header, blank
// and deleted "#" lines are not counted). The file is never changed.
std::vector<PracticeEntry> ReadPracticeRecord(const std::filesystem::path& file, int* skippedLines = nullptr);

// The local time as "YYYY/MM/DD HH:MM:SS".
std::string PracticeTimeText(long long unixSeconds);

}  // namespace masuvo
