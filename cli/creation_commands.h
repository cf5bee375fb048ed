// create and unsolvable: the creation searches from the command line, with
// progress on standard error and Ctrl+C cancelling.
#pragma once

namespace masuvo::cli {

int RunCreate(int argc, char** argv);
int RunUnsolvable(int argc, char** argv);

}  // namespace masuvo::cli
