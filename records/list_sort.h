// The order of the rows of the history and review lists: a click on a
// heading sorts by that column's texts with one of three comparisons.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace masuvo {

enum class SortKind { Time = -1, Text = 0, Number = 1 };

// -1, 0 or 1 for two list texts (UTF-8) of one column, ascending.
// Time: "m:ss" read as the signed number of seconds m·60 + s, so 9:05 comes
//   before 12:30 and a negative time ("-1:-5", a penalty larger than the
//   solving time) before every positive one; padding the texts to a common
//   width would put "-" after the digits and misorder them.
// Number: both converted to doubles (lenient: leading blanks, an optional
//   sign, digits and a decimal point; anything that is no number is 0).
// Text: UTF-16 code units compared one by one as unsigned values, a prefix
//   before the longer text.
int CompareListTexts(SortKind kind, const std::string& a, const std::string& b);

// Stable sort of row indices by one column's texts; descending negates the
// comparison, so equal texts keep their current order either way.
void SortRows(std::vector<int>& order, const std::function<const std::string&(int row)>& text, SortKind kind,
              bool descending);

}  // namespace masuvo
