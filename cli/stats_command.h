// stats: the history statistics report of an achievement record file.
#pragma once

#include <string>

namespace masuvo::cli {

// masuvo-cli stats [FILE]: the seventeen pages on standard output, LF line
// ends, a line holding only a form feed between pages. FILE defaults to the
// record file in the data folder.
int RunStats(int argc, char** argv);

// The Documents folder as the desktop toolkit finds it on Linux:
// XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (default
// ~/.config/user-dirs.dirs), else $HOME/Documents.
std::string DocumentsFolder();

}  // namespace masuvo::cli
