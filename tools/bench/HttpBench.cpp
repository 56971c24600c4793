// Posts one body of the given size through HttpRequest to the stand-in
// service's sink and prints the seconds the call took and the process's
// working set: before the call (the body itself is the one copy every
// caller holds) and at its peak.
//
//   http_bench.exe URL MEBIBYTES
#include "http/HttpRequest.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: http_bench URL MEBIBYTES\n");
        return 2;
    }
    const std::size_t size = std::strtoul(argv[2], nullptr, 10) << 20;
    Bytes body(size);
    for (std::size_t i = 0; i < size; ++i) {
        body[i] = static_cast<unsigned char>(i * 131 + (i >> 12));
    }
    const PROCESS_MEMORY_COUNTERS before = Memory();

    Text status;
    const double start = Now();
    const Text answer =
        HttpRequest({.url = argv[1], .method = kHttpPost, .status = &status, .postBytes = body});
    const double seconds = Now() - start;
    const PROCESS_MEMORY_COUNTERS after = Memory();

    const double mib = 1024.0 * 1024.0;
    std::printf("seconds=%.3f status=%s answer=%.40s ws_before_mib=%.1f peak_ws_mib=%.1f "
                "extra_copies=%.2f\n",
                seconds, status.c_str(), answer.c_str(), before.WorkingSetSize / mib,
                after.PeakWorkingSetSize / mib,
                (static_cast<double>(after.PeakWorkingSetSize) -
                 static_cast<double>(before.WorkingSetSize)) /
                    static_cast<double>(size));
    return status == "200 OK" ? 0 : 1;
}
