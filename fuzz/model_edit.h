// The model file an input of the model target stands for. A fuzzer's inputs
// are far shorter than a model (635,272 bytes), so an input is an edit of
// the shipped model: one byte choosing its length (as it must be, cut
// short, longer, all zeros), then patches of up to 16 bytes, each a 3-byte
// offset, a count byte and the bytes. Shared with the regression test that
// replays the kept inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "vision/model_file.h"

namespace masuvo::fuzz {

inline std::string EditedModel(const std::string& shipped, const uint8_t* data, size_t size) {
    size_t at = 0;
    auto take = [&](int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value = (value << 8) | (at < size ? data[at++] : 0);
        return value;
    };
    const size_t full = static_cast<size_t>(kModelFileBytes);
    std::string file = shipped;
    switch (take(1) % 4) {
        case 0: break;
        case 1: file.resize(take(3) % full); break;
        case 2: file.append(take(2), '\x7f'); break;
        case 3: file.assign(file.size(), '\0'); break;
    }
    while (at < size && !file.empty()) {
        const size_t offset = take(3) % file.size();
        const size_t count = take(1) % 17;
        for (size_t i = 0; i < count && offset + i < file.size(); ++i) file[offset + i] = static_cast<char>(take(1));
    }
    return file;
}

}  // namespace masuvo::fuzz
