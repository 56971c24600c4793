#include "FakeSystem.h"

namespace {

FakeSystem& Fake() {
    return *FakeSystem::Current();
}

std::uint32_t Allocate(std::uint32_t address, std::uint32_t size) {
    if (Fake().refuseAllocation || (address != 0 && Fake().preferredTaken)) {
        return 0;
    }
    const std::uint32_t base = PlatformMemoryModuleSystem().allocateRegion(address, size);
    if (base != 0) {
        Fake().allocated.push_back(base);
        Fake().events.push_back("allocate");
    }
    return base;
}

bool Release(std::uint32_t base) {
    if (Fake().refuseRelease) {
        return false;
    }
    const bool released = PlatformMemoryModuleSystem().releaseRegion(base);
    if (released) {
        Fake().released.push_back(base);
        Fake().events.push_back("release");
    }
    return released;
}

std::uint32_t Size(std::uint32_t base) {
    return PlatformMemoryModuleSystem().regionSize(base);
}

std::uint32_t Library(const char* name) {
    Fake().libraries.push_back(name);
    Fake().events.push_back(std::string("library ") + name);
    return 0x7000 + static_cast<std::uint32_t>(Fake().libraries.size());
}

std::uint32_t Procedure(std::uint32_t module, const char* name, std::uint16_t ordinal) {
    const std::string key = name ? std::string(name) : "#" + std::to_string(ordinal);
    Fake().lookups.push_back({module, key});
    auto found = Fake().procedures.find(key);
    return found == Fake().procedures.end() ? 0 : found->second;
}

std::uint32_t Resolve(ImportResolver resolver, const char* library, const char* function,
                      std::int32_t param) {
    Fake().resolverCalls.push_back({resolver, library, function, param});
    return Fake().resolver ? Fake().resolver(function) : 0;
}

std::uint32_t Call(std::uint32_t address, const std::uint32_t (&args)[10]) {
    FakeSystem::CodeCall call{address, {}};
    for (int i = 0; i < 10; ++i) {
        call.args[i] = args[i];
    }
    Fake().codeCalls.push_back(call);
    Fake().events.push_back("call " + std::to_string(args[1]));
    return args[1] == 1 ? Fake().entryResult : 1;
}

const MemoryModuleSystem kFake = {Allocate, Release, Size, Library, Procedure, Resolve, Call};

} // namespace

FakeSystem*& FakeSystem::Current() {
    static FakeSystem* current = nullptr;
    return current;
}

const MemoryModuleSystem& FakeSystem::Services() {
    return kFake;
}

FakeSystemScope::FakeSystemScope(FakeSystem& fake) {
    FakeSystem::Current() = &fake;
    UseMemoryModuleSystem(&kFake);
}

FakeSystemScope::~FakeSystemScope() {
    UseMemoryModuleSystem(nullptr);
    FakeSystem::Current() = nullptr;
}
