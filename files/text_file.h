// Reading whole text files and cutting them into lines, shared by the
// puzzle file and the record file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace masuvo {

// The system's description of an errno value, cut to 255 bytes (at a
// character boundary) so that a message box never grows without bound.
std::string SystemErrorText(int error);

// Reads the whole file. A file longer than maxBytes is not read (error
// EFBIG), so a stray huge file cannot exhaust memory. On failure error holds
// the errno value and bytes is unchanged.
bool ReadFileBytes(const std::string& path, std::string& bytes, int& error,
                   size_t maxBytes = static_cast<size_t>(-1));

// Lines ending in LF or CR LF; a line end at the end of the text does not
// start another, empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace masuvo
