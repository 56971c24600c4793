// The carried resources of a program whose skin library cannot load: the
// library image has lost its PE signature, the skin file is the real one.
// Linked ahead of the real carried resources, it takes their place.
#include "skin/CarriedSkin.h"

extern const unsigned char kSkinLibraryImageBytes[];
extern const std::size_t kSkinLibraryImageSize;
extern const unsigned char kSkinFileBytes[];
extern const std::size_t kSkinFileSize;

const Bytes& SkinLibraryImage() {
    static const Bytes image = [] {
        Bytes bytes(kSkinLibraryImageBytes, kSkinLibraryImageBytes + kSkinLibraryImageSize);
        const std::size_t peOffset = bytes[60] | (bytes[61] << 8);
        bytes[peOffset] = 'X';
        return bytes;
    }();
    return image;
}

const Bytes& SkinFile() {
    static const Bytes skin(kSkinFileBytes, kSkinFileBytes + kSkinFileSize);
    return skin;
}
