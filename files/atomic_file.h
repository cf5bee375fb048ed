// Saving through a temporary file in the same folder renamed over the
// target: a failed save (full disk, missing folder, killed program) leaves
// the previous file whole instead of truncated.
#pragma once

#include <string>
#include <string_view>

namespace masuvo {

// Writes bytes to path: a new file next to it, flushed to the disk, then
// renamed over path. An existing file keeps its permission bits. On failure
// nothing at path changes, the temporary file is removed and error holds
// the system's description of the failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace masuvo
