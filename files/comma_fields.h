// The comma-separated lines of the puzzle and record files: how a line is
// cut into fields and how a field becomes a number. Both files are meant to
// be edited by hand, so the rules forgive stray commas and blanks.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace masuvo {

// The fields of a line: a run of commas is one separator and commas at
// either end are dropped, so no field is ever empty.
std::vector<std::string_view> SplitCommaFields(std::string_view line);

// The number at the start of a field: leading white space skipped, an
// optional sign, then the decimal digits up to the first other character; a
// field without digits is 0. Returns false only when the number does not
// fit in 32 bits.
bool LenientInt(std::string_view field, int32_t& value);

// The text without leading and trailing ASCII white space.
std::string_view TrimSpaces(std::string_view text);

}  // namespace masuvo
