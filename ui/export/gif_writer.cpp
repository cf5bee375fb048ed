#include "ui/export/gif_writer.h"

#include <gif_lib.h>

#include <vector>

namespace masuvo {

namespace {

int AppendBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    return length;
}

std::string ErrorText(int code) {
    const char* text = GifErrorString(code);
    return text != nullptr ? std::string(text) : "GIF error " + std::to_string(code);
}

}  // namespace

bool EncodeGif(const PalettePicture& picture, std::string& bytes, std::string& error) {
    const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    if (picture.width <= 0 || picture.height <= 0 || picture.width > 0xFFFF || picture.height > 0xFFFF ||
        picture.palette.empty() || picture.palette.size() > 256 || picture.indices.size() != pixels) {
        error = "GIF: invalid picture";
        return false;
    }
    // A GIF colour table has a power-of-two size of at least two entries.
    int tableSize = 2;
    while (tableSize < static_cast<int>(picture.palette.size())) tableSize *= 2;
    std::vector<GifColorType> table(static_cast<size_t>(tableSize), GifColorType{0, 0, 0});
    for (size_t i = 0; i < picture.palette.size(); ++i) {
        const uint32_t rgb = picture.palette[i];
        table[i] = GifColorType{static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                                static_cast<GifByteType>(rgb)};
    }
    ColorMapObject* map = GifMakeMapObject(tableSize, table.data());
    if (map == nullptr) {
        error = ErrorText(E_GIF_ERR_NOT_ENOUGH_MEM);
        return false;
    }

    std::string out;
    int code = 0;
    GifFileType* gif = EGifOpen(&out, AppendBytes, &code);
    if (gif == nullptr) {
        GifFreeMapObject(map);
        error = ErrorText(code);
        return false;
    }
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<size_t>(picture.width));
    for (int y = 0; ok && y < picture.height; ++y) {
        const auto* row = picture.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width);
        std::copy(row, row + picture.width, line.begin());
        ok = EGifPutLine(gif, line.data(), picture.width) == GIF_OK;
    }
    if (!ok) code = gif->Error;
    // Closing writes the trailer and frees the encoder whatever happened before.
    int closeCode = 0;
    if (EGifCloseFile(gif, &closeCode) != GIF_OK && ok) {
        ok = false;
        code = closeCode;
    }
    GifFreeMapObject(map);
    if (!ok) {
        error = ErrorText(code);
        return false;
    }
    bytes = std::move(out);
    return true;
}

}  // namespace masuvo
