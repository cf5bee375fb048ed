// The digit model read on a thread of its own while the window starts: only
// image import needs it, and the first paint should not wait for it.
// Whatever recognises with the process-wide model waits for it first.
#pragma once

#include <QString>

namespace masuvo {

// Starts reading path into the process-wide model (LoadDigitModel). A
// reading already under way is waited for first.
void StartLoadingDigitModel(const QString& path);

// Waits for the reading started last, if any; then the process-wide model
// may be used. Returns its message: empty when the model was read.
QString WaitForDigitModel();

}  // namespace masuvo
