// The achievement record 達成記録.csv: header, appending, deletion and the
// reading rules shared by every reader. Code page 932, CR LF.
#pragma once

#include <string>
#include <vector>

namespace masuvo {

// The header line (78 commas), without line end.
std::string RecordHeader();

// Creates the file with its header, or brings an old one up to date. On
// failure message is "達成記録ファイルをオープンできません。：\n" plus the
// system's description.
bool PrepareRecordFile(const std::string& path, std::string& message);

// Appends one record line (UTF-8, without line end) to an existing file; the
// file is not created. Same failure message as above.
bool AppendRecordLine(const std::string& path, const std::string& line, std::string& message);

// Every line of the file after conversion to UTF-8, header first.
bool ReadRecordLines(const std::string& path, std::vector<std::string>& lines, std::string& message);

// Rewrites the whole file (through a temporary file and a rename).
bool RewriteRecordFile(const std::string& path, const std::vector<std::string>& lines, std::string& message);

// The fields of a line by the shared reading rules: comma separated, runs of
// commas count as one, empty fields skipped.
std::vector<std::string> SplitRecordFields(const std::string& line);

}  // namespace masuvo
