// loadprobe IMAGE [ARG ...]: loads an image file from memory and reports what
// the loader makes of it, for checking images by hand and from scripts.
//
//   loaded 1 base 0x10000000    or   loaded 0
//   NAME 0x1234                 export RVA of a name or ordinal text (0x0: none)
//   call NAME = 42              (from the two arguments "call NAME") the
//                               export called without arguments; "= not found"
//                               when there is none, and then nothing is called
//
// The output keeps exactly this form. It exits 0 whether the loader takes the
// image or rejects it; only an unreadable file or a missing argument is an error.
#include <cstdio>
#include <cstring>

#include "memmodule/CallAddress.h"
#include "memmodule/MemoryModule.h"

namespace {

bool ReadWholeFile(const char* path, Bytes& bytesOut) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    unsigned char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytesOut.insert(bytesOut.end(), chunk, chunk + got);
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: loadprobe IMAGE [NAME | ORDINAL | call NAME] ...\n");
        return 2;
    }
    Bytes image;
    if (!ReadWholeFile(argv[1], image)) {
        std::fprintf(stderr, "loadprobe: cannot read %s\n", argv[1]);
        return 1;
    }
    MemoryModule module;
    if (module.LoadFromMemory(image)) {
        std::printf("loaded 1 base 0x%08x\n", static_cast<unsigned>(module.GetHandle()));
    } else {
        std::printf("loaded 0\n");
    }
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "call") == 0 && i + 1 < argc) {
            const char* name = argv[++i];
            const std::uint32_t address = module.GetExportAddress(name);
            if (address == 0) {
                std::printf("call %s = not found\n", name);
            } else {
                std::printf("call %s = %d\n", name, static_cast<int>(CallAddress(address)));
            }
            continue;
        }
        const std::uint32_t address = module.GetExportAddress(argv[i]);
        std::printf("%s 0x%x\n", argv[i],
                    static_cast<unsigned>(address == 0 ? 0 : address - module.GetHandle()));
    }
    std::fflush(stdout);
    module.Destroy(); // the image stays mapped until the process ends
    return 0;
}
