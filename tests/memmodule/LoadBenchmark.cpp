// Prints how long loading the skin-sized fixture (about 90 KB, thousands of
// relocations) from memory takes, and its unload; a fixed number of rounds.
#include <algorithm>
#include <cstdio>
#include <vector>
#include <windows.h>

#include "FixtureImages.h"
#include "memmodule/MemoryModule.h"

int main() {
    const Bytes image = ReadFixture("memmodule_large.dll");
    if (image.empty()) {
        std::fprintf(stderr, "memmodule_large.dll not found beside the benchmark\n");
        return 1;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    auto micros = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
        return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) /
               static_cast<double>(frequency.QuadPart);
    };
    constexpr int kRounds = 500;
    std::vector<double> loads;
    std::vector<double> frees;
    MemoryModule module;
    for (int round = 0; round < kRounds + 20; ++round) {
        LARGE_INTEGER start, loaded, freed;
        QueryPerformanceCounter(&start);
        const bool ok = module.LoadFromMemory(image);
        QueryPerformanceCounter(&loaded);
        module.Free();
        QueryPerformanceCounter(&freed);
        if (!ok) {
            std::fprintf(stderr, "the fixture did not load\n");
            return 1;
        }
        if (round >= 20) { // the first rounds warm the caches and the libraries
            loads.push_back(micros(start, loaded));
            frees.push_back(micros(loaded, freed));
        }
    }
    auto report = [](const char* what, std::vector<double> times) {
        std::sort(times.begin(), times.end());
        double sum = 0;
        for (double t : times) {
            sum += t;
        }
        std::printf("%s: median %.1f us, mean %.1f us, min %.1f us, max %.1f us (%zu rounds)\n",
                    what, times[times.size() / 2], sum / static_cast<double>(times.size()),
                    times.front(), times.back(), times.size());
    };
    std::printf("image %zu bytes\n", image.size());
    report("LoadFromMemory", loads);
    report("Free", frees);
    return 0;
}
