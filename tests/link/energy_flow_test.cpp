// Energy bought and sold per channel over hand-written counter sequences: neither total
// ever falls, whatever the counters do.
#include "link/energy_flow.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kSpan = 1099511627776.0;  // the counters' 40 bits

struct Packet {
    double absWs;
    double polWs;
    bool reset = false;
    int seconds = 1;
};

struct Case {
    const char* name;
    std::vector<Packet> packets;
    double imported;
    double exported;
    EnergyDirection direction;
    int implausible = 0;
};

TEST(EnergyFlow, countsBoughtAndSoldOverCounterSequences)
{
    using enum EnergyDirection;
    const Case cases[] = {
        {"consuming only", {{1000, 50}, {2500, 50}, {4000, 50}}, 3000, 0, Consuming},
        {"generating only", {{1000, 50}, {2500, 1550}, {4000, 3050}}, 0, 3000, Generating},
        {"the polarised counter running down counts by its size", {{1000, 5000}, {2000, 4000}}, 0, 1000, Generating},
        {"mixed within one step", {{0, 0}, {1000, 400}}, 600, 400, Generating},
        {"generating, then consuming", {{0, 0}, {1000, 1000}, {1500, 1000}}, 500, 1000, Consuming},
        {"a monitor reset counts from zero", {{9000, 3000}, {700, 200, true}}, 500, 200, Generating},
        {"a wrap of the absolute counter", {{kSpan - 100, 0}, {400, 0}}, 500, 0, Consuming},
        {"a wrap of the polarised counter", {{0, kSpan - 100}, {500, 400}}, 0, 500, Generating},
        {"a step back adds nothing", {{5000, 0}, {4000, 0}, {4600, 0}}, 600, 0, Consuming, 1},
        {"more than a line carries adds nothing",
         {{0, 0}, {EnergyFlow::kMostWatts * 2 + 10, 0, false, 2}, {EnergyFlow::kMostWatts * 2 + 110, 0}},
         100, 0, Consuming, 1},
        {"a long pause may carry much", {{0, 0}, {EnergyFlow::kMostWatts * 100, 0, false, 100}},
         EnergyFlow::kMostWatts * 100, 0, Consuming},
        {"selling more than flowed cannot be", {{0, 0}, {100, 300}, {200, 300}}, 100, 0, Consuming, 1},
        {"no flow keeps the direction", {{0, 0}, {100, 100}, {100, 100}}, 0, 100, Generating},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EnergyTotals totals;
        EnergyDirection direction = Consuming;
        int implausible = 0;
        for (const Packet& p : c.packets) {
            const double importedBefore = totals.importedWs;
            const double exportedBefore = totals.exportedWs;
            if (EnergyFlow::advance(totals, {p.absWs, p.polWs}, p.reset, p.seconds, direction)
                == EnergyFlow::Step::Implausible)
                ++implausible;
            EXPECT_GE(totals.importedWs, importedBefore);
            EXPECT_GE(totals.exportedWs, exportedBefore);
        }
        EXPECT_DOUBLE_EQ(totals.importedWs, c.imported);
        EXPECT_DOUBLE_EQ(totals.exportedWs, c.exported);
        EXPECT_EQ(direction, c.direction);
        EXPECT_EQ(implausible, c.implausible);
    }
}

TEST(EnergyFlow, aRestartWithStoredTotalsGoesOnFromTheirCounters)
{
    EnergyTotals stored{.importedWs = 7000, .exportedWs = 300, .last = ChannelCounters{5000, 300}};
    EnergyDirection direction = EnergyDirection::Consuming;
    // The monitor went on counting while the program was stopped for a minute.
    EXPECT_EQ(EnergyFlow::advance(stored, {8000, 1300}, false, 60, direction), EnergyFlow::Step::Counted);
    EXPECT_DOUBLE_EQ(stored.importedWs, 9000);
    EXPECT_DOUBLE_EQ(stored.exportedWs, 1300);

    EnergyTotals fresh;
    EXPECT_EQ(EnergyFlow::advance(fresh, {8000, 1300}, false, 1, direction), EnergyFlow::Step::Baseline);
    EXPECT_EQ(fresh.importedWs + fresh.exportedWs, 0) << "what the monitor counted before is not ours";
}

} // namespace
