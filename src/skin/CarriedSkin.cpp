// The carried resources as Bytes, made once from the embedded arrays and kept
// until the process ends.
#include "skin/CarriedSkin.h"

extern const unsigned char kSkinLibraryImageBytes[];
extern const std::size_t kSkinLibraryImageSize;
extern const unsigned char kSkinFileBytes[];
extern const std::size_t kSkinFileSize;

const Bytes& SkinLibraryImage() {
    static const Bytes image(kSkinLibraryImageBytes,
                             kSkinLibraryImageBytes + kSkinLibraryImageSize);
    return image;
}

const Bytes& SkinFile() {
    static const Bytes skin(kSkinFileBytes, kSkinFileBytes + kSkinFileSize);
    return skin;
}
