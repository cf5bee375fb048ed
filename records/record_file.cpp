#include "records/record_file.h"

namespace masuvo {

std::string RecordHeader() { return std::string(); }
bool PrepareRecordFile(const std::string&, std::string&) { return false; }
bool AppendRecordLine(const std::string&, const std::string&, std::string&) { return false; }
bool ReadRecordLines(const std::string&, std::vector<std::string>&, std::string&) { return false; }
bool RewriteRecordFile(const std::string&, const std::vector<std::string>&, std::string&) { return false; }
std::vector<std::string> SplitRecordFields(const std::string&) { return {}; }

}  // namespace masuvo
