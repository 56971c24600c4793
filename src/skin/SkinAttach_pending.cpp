// Stands in for the skin until the skin library is carried: nothing is
// loaded or attached, and the load says so.
#include "skin/SkinAttach.h"

void CreateSkinModule() {}

bool LoadSkinLibrary() {
    return false;
}

void ApplySkin(std::int32_t /*first*/, std::int32_t /*second*/, std::int32_t /*third*/) {}

void ReleaseSkinModule() {}
