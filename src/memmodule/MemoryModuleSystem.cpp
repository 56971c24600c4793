// Which services the loader uses: the platform's, or ones put in their place.
#include "memmodule/MemoryModuleSystem.h"

namespace {
const MemoryModuleSystem* replacement = nullptr;
}

const MemoryModuleSystem& MemoryModuleSystemInUse() {
    return replacement ? *replacement : PlatformMemoryModuleSystem();
}

void UseMemoryModuleSystem(const MemoryModuleSystem* system) {
    replacement = system;
}
