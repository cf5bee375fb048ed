// The achievement record 達成記録.csv: header, appending, deletion and the
// reading rules shared by every reader. Code page 932, CR LF.
#pragma once

#include <string>
#include <vector>

namespace masuvo {

// The header line (78 commas), without line end.
std::string RecordHeader();

// Creates the file with its header, or brings an old one up to date: a
// header of 76 commas (29 techniques per list) is replaced and every record
// gains " *" as the count of technique 26 in both lists. A file whose header
// is neither is moved aside to path.bak (then .bak2, .bak3 …) and a new file
// is started. Every rewrite goes through a temporary file and a rename. On
// failure message is "達成記録ファイルをオープンできません。：\n" plus the
// system's description.
bool PrepareRecordFile(const std::string& path, std::string& message);

// Appends one record line (UTF-8, without line end) to an existing file; the
// file is not created. A line end inside the line becomes a blank, and a
// file whose last line lacks its line end gets one first, so the record
// stays on a line of its own. Same failure message as above.
bool AppendRecordLine(const std::string& path, const std::string& line, std::string& message);
// The same for another record file of the data folder, whose failure
// message begins with failurePrefix instead.
bool AppendRecordLine(const std::string& path, const std::string& line, std::string& message,
                      const char* failurePrefix);

// Every line of the file after conversion to UTF-8, header first; bytes
// that are not code page 932 read as U+FFFD. Same failure message as above.
bool ReadRecordLines(const std::string& path, std::vector<std::string>& lines, std::string& message);

// Rewrites the whole file (through a temporary file and a rename), each line
// followed by CR LF; deleted records are the lines that begin with "#".
// Same failure message as above.
bool RewriteRecordFile(const std::string& path, const std::vector<std::string>& lines, std::string& message);

// The fields of a line by the shared reading rules: comma separated, runs of
// commas count as one, empty fields skipped.
std::vector<std::string> SplitRecordFields(const std::string& line);

}  // namespace masuvo
