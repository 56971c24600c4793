// The skin attach: the carried library goes into SkinModule at start, and the
// carried skin is handed to its SkinH_AttachRes through CallAddress, so the
// library's argument clean-up convention does not matter.
#include "skin/SkinAttach.h"

#include <cstdint>

#include "memmodule/CallAddress.h"
#include "skin/CarriedSkin.h"

MemoryModule* SkinModule = nullptr;

namespace {

// The program is 32-bit: an address fits the library's 32-bit arguments.
std::uint32_t AddressOf(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

} // namespace

void CreateSkinModule() {
    if (SkinModule == nullptr) {
        SkinModule = new MemoryModule();
    }
}

bool LoadSkinLibrary() {
    if (SkinModule == nullptr) {
        return false;
    }
    return SkinModule->LoadFromMemory(SkinLibraryImage(), 0, 0);
}

std::int32_t AttachSkinFromMemory(const Bytes& skin, const Text& password, std::int32_t first,
                                  std::int32_t second, std::int32_t third) {
    if (SkinModule == nullptr) {
        return 0;
    }
    const std::uint32_t attach = SkinModule->GetExportAddress("SkinH_AttachRes");
    if (attach == 0) {
        return 0; // no library or no such export: there is nothing to call
    }
    const std::uint32_t passwordAddress = password.empty() ? 0 : AddressOf(password.c_str());
    return static_cast<std::int32_t>(
        CallAddress(attach, AddressOf(skin.data()), static_cast<std::uint32_t>(skin.size()),
                    passwordAddress, static_cast<std::uint32_t>(first),
                    static_cast<std::uint32_t>(second), static_cast<std::uint32_t>(third)));
}

void ApplySkin(std::int32_t first, std::int32_t second, std::int32_t third) {
    AttachSkinFromMemory(SkinFile(), Text(), first, second, third);
}

void ReleaseSkinModule() {
    if (SkinModule == nullptr) {
        return;
    }
    SkinModule->Destroy();
    delete SkinModule;
    SkinModule = nullptr;
}
