// Names around image import: the puzzle titles an imported picture gets,
// which dropped files and addresses count as pictures, and the file name a
// download is stored under.
#pragma once

#include <ctime>
#include <string>

namespace masuvo {

// The file name without its folder and without the part from its last "."
// on (empty for a name without "."); control characters become "_" (a line
// break would split a record line).
std::string ImageFileTitle(const std::string& path);

// prefix followed by the local time as "(YYYYMMDDhhmmss)".
std::string TimeStampTitle(const std::string& prefix, std::time_t when);

// The text after the last ".", compared exactly: png, bmp, jpg, gif, tif, webp.
bool HasPictureExtension(const std::string& path);

// Dropped text that names a picture address: it begins with "http" and the
// text after its last "." is a picture extension.
bool IsPictureAddress(const std::string& text);

// The name a download is stored under: the text after the last "/" with
// "\", NUL and control characters turned into "_", cut to 255 bytes keeping
// its extension. False when nothing usable is left ("", ".", "..").
bool DownloadFileName(const std::string& address, std::string& name);

}  // namespace masuvo
