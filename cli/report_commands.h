// steps and evaluate: the text reports of the developer tools.
#pragma once

namespace masuvo::cli {

int RunSteps();

}  // namespace masuvo::cli
