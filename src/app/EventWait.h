// The start-up sequence's wait: a span of time during which the window's
// messages keep running. The clock and the event calls are passed in, so the
// counting can be tested against a clock that wraps.
#pragma once

#include <cstdint>

// Notes the tick count, then repeatedly processes pending events and reads
// the tick count again until more than `milliseconds` have passed since the
// noted value. Elapsed time is counted modulo 2^32, so a tick counter that
// wraps during the wait neither ends it early nor makes it endless. Between
// rounds `waitForEvents` may block for at most the time still to go.
template <typename Tick, typename Process, typename Block>
void WaitWhileProcessingEvents(std::uint32_t milliseconds, Tick tick, Process processEvents,
                               Block waitForEvents) {
    const std::uint32_t noted = tick();
    for (;;) {
        processEvents();
        const std::uint32_t elapsed = static_cast<std::uint32_t>(tick() - noted);
        if (elapsed > milliseconds) {
            return;
        }
        waitForEvents(static_cast<std::uint32_t>(milliseconds - elapsed + 1));
    }
}
