// Where the window program finds the files it reads beside itself (help
// pages, example puzzles, the digit model).
#pragma once

#include <QString>

namespace masuvo {

// The folder that holds NAME: the program's own folder (a build tree), else
// share/masuvo of the installed prefix, which is ../share/masuvo from bin/
// and ../../share/masuvo from libexec/masuvo. The program's folder when none
// has it.
QString FolderHolding(const QString& programFolder, const QString& name);

}  // namespace masuvo
