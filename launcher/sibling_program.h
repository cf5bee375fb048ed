// Running a companion program in place of this one. The programs that load
// Qt or OpenCV live beside their small front programs (in a build tree) or
// in ../libexec/masuvo from them (installed), so that what needs none of
// those libraries starts in a few milliseconds.
#pragma once

namespace masuvo {

// Replaces this process with `name` from this program's folder, else from
// ../libexec/masuvo, with the same arguments. Returns only when neither can
// be started, after saying so on standard error prefixed with `caller`.
void RunSiblingProgram(const char* caller, const char* name, char** argv);

// The path of this program's own file; empty when it cannot be read.
const char* OwnProgramPath();

}  // namespace masuvo
