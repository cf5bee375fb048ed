// Text forms shared by the status fields, the result message, the record line
// and the hint dialog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reports/text_columns.h"  // WithSeparators

namespace masuvo {

// "%d分 %02d秒".
std::string TimeText(int64_t seconds);
// "%.1f" with "." whatever the process locale (the window's toolkit sets one).
std::string OneDecimal(double value);

// The digit-count field of a digit placed count times.
std::string DigitCountText(int count);

// The hint's sentences for the hint dialog: every "。" becomes ";" and the
// final one is dropped. Empty when the hint has one sentence (no dialog).
std::string HintDialogText(const std::string& hintText);
int CountSentences(const std::string& text);  // the number of "。"

// The dialog's contents: non-empty pieces before the last ";" as list items,
// and the conclusion line (a space and the text after the last ";").
void SplitHintDialogText(const std::string& dialogText, std::vector<std::string>& items, std::string& conclusion);

// Help topics of the hint dialog's right click, one per distinct technique,
// with their page names "問題の解法_<name>.htm".
struct HelpTopic {
    std::string name;
    std::string page;
};
std::vector<HelpTopic> HintHelpTopics(const std::vector<std::string>& items, const std::string& conclusion);

// The puzzle name as part of a file name: "/", "\" and control characters
// become "_", and so do the names "." and "..".
std::string SafeFileNamePart(const std::string& name);

// The file name between the last "/" and the last ".".
std::string FileStem(const std::string& path);
// The path up to, not including, its last "/".
std::string FolderOf(const std::string& path);

}  // namespace masuvo
