// create and unsolvable: the creation searches from the command line, with
// progress on standard error and Ctrl+C cancelling.
#pragma once

namespace masuvo::cli {

int RunCreate(int argc, char** argv);
int RunUnsolvable(int argc, char** argv);
// drill --technique K --number N: position, answer r,c,d, needed steps' texts, techniques.
int RunDrill(int argc, char** argv);

// A catalogue index 0..29 or a technique's name.
bool ParseTechnique(const char* text, int& out);
// Why a rank is refused for a technique, and which ranks could need it.
void PrintRefusal(int rank, int technique);

}  // namespace masuvo::cli
