// The one-second wait against a clock the test drives: it ends only once
// more than the span has passed, keeps processing events, never spins
// without blocking, and survives the tick counter's wrap.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/EventWait.h"

namespace {

struct FakeClock {
    std::uint32_t now;
    std::uint32_t step; // how far each block moves the clock
    int processed = 0;
    std::vector<std::uint32_t> blocks;
};

void RunWait(FakeClock& clock, std::uint32_t span) {
    WaitWhileProcessingEvents(
        span, [&] { return clock.now; }, [&] { ++clock.processed; },
        [&](std::uint32_t most) {
            clock.blocks.push_back(most);
            ASSERT_LT(clock.blocks.size(), 100000u) << "the wait does not end";
            clock.now += clock.step < most ? clock.step : most;
        });
}

TEST(WaitWhileProcessingEvents, EndsOnlyAfterMoreThanTheSpan) {
    const struct {
        std::uint32_t start;
        std::uint32_t step;
    } cases[] = {
        {0, 1},           {5000, 1},        {5000, 7},
        {5000, 1000},     {0xFFFFFFFFu, 3}, // the counter wraps right away
        {0xFFFFFE00u, 1},                   // ... in the middle of the wait
        {0x7FFFFE00u, 5},                   // ... past the signed limit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " step " << c.step);
        FakeClock clock{c.start, c.step, 0, {}};
        RunWait(clock, 1000);
        const std::uint32_t elapsed = clock.now - c.start;
        EXPECT_GT(elapsed, 1000u);
        EXPECT_LE(elapsed, 1000u + c.step);
        EXPECT_EQ(clock.processed, static_cast<int>(clock.blocks.size()) + 1);
        for (std::uint32_t most : clock.blocks) {
            EXPECT_GE(most, 1u);
            EXPECT_LE(most, 1001u);
        }
    }
}

TEST(WaitWhileProcessingEvents, ProcessesEventsEvenWhenTheTimeHasAlreadyPassed) {
    // A clock that jumps past the span on its second reading.
    std::uint32_t readings = 0;
    int processed = 0;
    int blocks = 0;
    WaitWhileProcessingEvents(
        1000, [&] { return readings++ == 0 ? 10u : 5000u; }, [&] { ++processed; },
        [&](std::uint32_t) { ++blocks; });
    EXPECT_EQ(processed, 1);
    EXPECT_EQ(blocks, 0);
}

} // namespace
