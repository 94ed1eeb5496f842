// The channel 1 energy direction test: which counters moved since the test's first tick.
#pragma once

#include <array>

struct LiveReadings;

class PolarityTest {
public:
    enum class Result {
        BaselineTaken,
        NoEnergy,
        Consumed,
        Generated,
    };

    // The next tick takes the baseline.
    void start() { FirstTestScan = true; }

    // One tick of the test's timer. The baseline is kept for the whole test, so a
    // result covers everything since the first tick.
    Result tick(const LiveReadings& readings);

private:
    bool FirstTestScan = true;
    // AbsWs1, AbsWs2, PolWs1, PolWs2 at the first tick.
    std::array<double, 4> TestBaseline{};
};
