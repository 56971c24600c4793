/* Turns gcc's trace-pc callbacks into the 8-bit edge counters that libFuzzer
 * reads. Each call site's return address is hashed into one counter; a few
 * collisions cost some precision, never correctness. */
#include <stddef.h>
#include <stdint.h>

enum { kCounters = 1 << 16 };
static uint8_t counters[kCounters];
static uintptr_t pcTable[2 * kCounters];

void __sanitizer_cov_8bit_counters_init(uint8_t* start, uint8_t* stop);
void __sanitizer_cov_pcs_init(const uintptr_t* start, const uintptr_t* stop);

__attribute__((constructor)) static void RegisterCounters(void) {
    for (size_t i = 0; i < kCounters; ++i) {
        pcTable[2 * i] = i + 1;
        pcTable[2 * i + 1] = 0;
    }
    __sanitizer_cov_8bit_counters_init(counters, counters + kCounters);
    __sanitizer_cov_pcs_init(pcTable, pcTable + 2 * kCounters);
}

void __sanitizer_cov_trace_pc(void) {
    uintptr_t pc = (uintptr_t)__builtin_return_address(0);
    pc ^= pc >> 17;
    counters[(uint32_t)(pc * 2654435761u) % kCounters]++;
}
