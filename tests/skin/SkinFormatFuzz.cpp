// Feeds arbitrary bytes to the skin file reader, with a password taken from
// the input's start, and runs the palette adjustment over what it read.
#include "skin/SkinFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto theme = std::make_unique<SkinTheme>();
    if (size < 13) {
        return 0;
    }
    int32_t adjust[3];
    std::memcpy(adjust, data, sizeof adjust);
    size_t passwordLength = data[12] % 17;
    data += 13;
    size -= 13;
    if (passwordLength > size) {
        return 0;
    }
    const uint8_t* password = passwordLength ? data : nullptr;
    if (SkinParse(data + passwordLength, static_cast<uint32_t>(size - passwordLength), password,
                  static_cast<uint32_t>(passwordLength), theme.get())) {
        SkinAdjustPalette(theme.get(), adjust[0], adjust[1], adjust[2]);
    }
    return 0;
}
