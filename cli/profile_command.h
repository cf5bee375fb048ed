// profile: the player's technique profile as tab-separated rows.
#pragma once

namespace masuvo::cli {

// masuvo-cli profile [--record FILE] [FOLDER...]: one row per technique
// (index, name, moves, hinted, median ratio, last date, box). FOLDER
// defaults to the finished copies of the data folder, FILE to the practice
// record there. Skipped files and record lines are counted on standard error.
int RunProfile(int argc, char** argv);

}  // namespace masuvo::cli
