// The program keeps text in UTF-8; files that other tools open speak code
// page 932. These two functions are the only crossing between the two.
#pragma once

#include <string>
#include <string_view>

namespace masuvo {

// UTF-8 to code page 932. Characters that users type as look-alikes of
// code-page characters (〜 − ‖ — ¢ £ ¬) are written as those characters;
// any other character the code page lacks, and any invalid UTF-8 byte,
// becomes "?". Never fails.
std::string Utf8ToCp932(std::string_view utf8);

// Code page 932 to UTF-8. Returns false when the bytes are not valid code
// page 932; utf8 then holds the text with U+FFFD for each offending byte,
// so a caller that only displays the text can still use it.
bool Cp932ToUtf8(std::string_view cp932, std::string& utf8);

}  // namespace masuvo
