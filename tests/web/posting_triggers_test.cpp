// The posting decision: steps that settle, steps that keep changing, the first
// packet, interval ends, both channels at once, and the interval clock.
#include "web/posting_triggers.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

constexpr TriggerThresholds kThresholds{60, 60};

// Feeds packets with the given channel powers and keeps what each call decided.
class TriggerRun {
public:
    std::optional<PostRow> packet(double watts1, double watts2 = 0)
    {
        readings_.Watts1 = watts1;
        readings_.Watts2 = watts2;
        return triggers.Vex(readings_, thresholds);
    }

    // Packets at steady powers; returns how many of them posted.
    int steady(int count, double watts1, double watts2 = 0)
    {
        int posts = 0;
        for (int i = 0; i < count; ++i)
            posts += packet(watts1, watts2).has_value() ? 1 : 0;
        return posts;
    }

    void ticks(int count, bool realTimeOn = true)
    {
        for (int i = 0; i < count; ++i)
            triggers.Timer1_Timer(realTimeOn, VexThresT);
    }

    PostingTriggers triggers;
    TriggerThresholds thresholds = kThresholds;
    std::int16_t VexThresT = 60;

private:
    LiveReadings readings_;
};

TEST(PostingTriggers, firstPacketComparesWithAnEmptyHistory_aSteadySecondPacketPostsCh1)
{
    TriggerRun run;
    EXPECT_FALSE(run.packet(500, 40));
    EXPECT_TRUE(run.triggers.state().Ch1Pending) << "500 W against 0 exceeds 60 W";
    EXPECT_FALSE(run.triggers.state().Ch2Pending) << "40 W stays within 60 W";
    EXPECT_EQ(run.triggers.state().DeltaP1, -500);

    const auto post = run.packet(500, 40);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->TriggerSource, "CH1 / ");
    EXPECT_EQ(post->swing2, 0);
    EXPECT_FALSE(run.triggers.state().Ch1Pending);
    EXPECT_FALSE(run.triggers.state().Ch1Trigger);
    EXPECT_EQ(run.steady(10, 500, 40), 0) << "steady power posts nothing more";
}

TEST(PostingTriggers, riseFrom500Through900To905_postsCh1WithAPositiveSwingAtTheSettledPacket)
{
    TriggerRun run;
    run.steady(6, 500);
    EXPECT_FALSE(run.packet(900)) << "the step itself only makes the channel pending";
    EXPECT_TRUE(run.triggers.state().Ch1Pending);

    const auto post = run.packet(905);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->TriggerSource, "CH1 / ");
    EXPECT_EQ(post->swing1, 400);
    EXPECT_EQ(post->swing2, 0);
    EXPECT_DOUBLE_EQ(post->Watts1, 905);
    // The present reading, the one before, then the present reading three times.
    EXPECT_EQ(run.triggers.state().Ch1History, (std::array<std::int32_t, 6>{905, 900, 905, 905, 905, 0}));
}

TEST(PostingTriggers, fallFrom900To500_postsANegativeSwing)
{
    TriggerRun run;
    run.steady(6, 900);
    EXPECT_FALSE(run.packet(500));
    const auto post = run.packet(495);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->swing1, -405) << "high 900, low the present 495, the low the more recent";
}

TEST(PostingTriggers, aStepThatKeepsChanging_postsNothingUntilOneChangeIsWithinTheThreshold)
{
    TriggerRun run;
    run.steady(6, 500);
    for (const double watts : {700.0, 900.0, 1100.0, 1300.0})
        EXPECT_FALSE(run.packet(watts)) << watts;
    const auto post = run.packet(1310);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->swing1, 800) << "over the five remembered readings 1300 down to 500";
}

TEST(PostingTriggers, aChangeOfExactlyTheThreshold_isNotAStep)
{
    TriggerRun run;
    run.steady(6, 500);
    EXPECT_FALSE(run.packet(560));
    EXPECT_FALSE(run.triggers.state().Ch1Pending);
    EXPECT_FALSE(run.packet(621));
    EXPECT_TRUE(run.triggers.state().Ch1Pending);
}

TEST(PostingTriggers, bothChannelsSettlingInOnePacket_giveOneRowFromCh2WithBothSwings)
{
    TriggerRun run;
    run.steady(6, 500, 1000);
    EXPECT_FALSE(run.packet(900, 200));
    const auto post = run.packet(900, 200);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->TriggerSource, "CH2 / ");
    EXPECT_EQ(post->swing1, 400);
    EXPECT_EQ(post->swing2, -800);
}

TEST(PostingTriggers, intervalEnd_postsTimeOutAtTheNextPacket_everyVexThresTSeconds)
{
    TriggerRun run;
    run.steady(6, 500);
    run.ticks(59);
    EXPECT_FALSE(run.triggers.state().IntervalElapsed);
    EXPECT_EQ(run.steady(1, 500), 0);
    run.ticks(1);
    EXPECT_TRUE(run.triggers.state().IntervalElapsed);
    EXPECT_EQ(run.triggers.state().IntervalTicks, 0);

    const auto post = run.packet(500);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->TriggerSource, " Time out");
    EXPECT_EQ(post->swing1, 0);
    EXPECT_FALSE(run.triggers.state().IntervalElapsed);
    EXPECT_EQ(run.steady(5, 500), 0) << "one post per interval";

    run.ticks(60);
    EXPECT_EQ(run.steady(1, 500), 1);
}

TEST(PostingTriggers, intervalEndDuringAStep_isDroppedNotPostponed)
{
    TriggerRun run;
    run.steady(6, 500);
    EXPECT_FALSE(run.packet(900));
    run.ticks(60);
    EXPECT_FALSE(run.packet(1300)) << "still stepping: the interval end is consumed";
    EXPECT_FALSE(run.triggers.state().IntervalElapsed);

    const auto settled = run.packet(1300);
    ASSERT_TRUE(settled);
    EXPECT_EQ(settled->TriggerSource, "CH1 / ") << "no time-out carried over";
}

TEST(PostingTriggers, stepSettlingAsTheIntervalEnds_postsOnceWithBothCauses)
{
    TriggerRun run;
    run.steady(6, 500);
    EXPECT_FALSE(run.packet(900));
    run.ticks(60);
    const auto post = run.packet(900);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->TriggerSource, "CH1 /  Time out");
    EXPECT_EQ(post->swing1, 400);
}

TEST(PostingTriggers, intervalClock_stopsAfterRealTimeEnds_yetThatTickCounts_andRestartContinues)
{
    TriggerRun run;
    run.VexThresT = 10;
    EXPECT_TRUE(run.triggers.Timer1_Timer(true, run.VexThresT));
    EXPECT_FALSE(run.triggers.Timer1_Timer(false, run.VexThresT));
    EXPECT_EQ(run.triggers.state().IntervalTicks, 2);
    run.ticks(7);
    EXPECT_FALSE(run.triggers.state().IntervalElapsed);
    run.ticks(1);
    EXPECT_TRUE(run.triggers.state().IntervalElapsed);
}

TEST(PostingTriggers, postRow_carriesTheReadingsAndTheEnergyWithOffsets)
{
    PostingTriggers triggers;
    LiveReadings r;
    r.Watts1 = 1500;
    r.Watts2 = 200;
    r.Volts = 230.4;
    r.Amps1 = 13.04f;
    r.Amps2 = 0.87f;
    r.TotalWs1 = 3600000;
    r.TotalWs2 = 1800;
    triggers.Vex(r, kThresholds);
    const auto post = triggers.Vex(r, kThresholds);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->TriggerSource, "CH2 / ");
    EXPECT_DOUBLE_EQ(post->Watts1, 1500);
    EXPECT_DOUBLE_EQ(post->Watts2, 200);
    EXPECT_DOUBLE_EQ(post->Volts, 230.4);
    EXPECT_FLOAT_EQ(post->Amps1, 13.04f);
    EXPECT_FLOAT_EQ(post->Amps2, 0.87f);
    EXPECT_DOUBLE_EQ(post->LogKWh1, 1.0);
    EXPECT_DOUBLE_EQ(post->LogKWh2, 0.0005);
}

TEST(PostingTriggers, wildReadings_stayWithinWholeWattRange)
{
    EXPECT_EQ(wholeWatts(2.5), 2);
    EXPECT_EQ(wholeWatts(3.5), 4);
    EXPECT_EQ(wholeWatts(-2.5), -2);
    EXPECT_EQ(wholeWatts(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(wholeWatts(-1e12), std::numeric_limits<std::int32_t>::min());

    // A first packet measured against counters of another monitor, then normal ones.
    TriggerRun run;
    EXPECT_FALSE(run.packet(1e12));
    EXPECT_EQ(run.triggers.state().Ch1History[0], std::numeric_limits<std::int32_t>::max());
    EXPECT_FALSE(run.packet(500));
    const auto post = run.packet(500);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->TriggerSource, "CH1 / ");
    EXPECT_EQ(post->swing1, -(std::numeric_limits<std::int32_t>::max() - 500));
}

} // namespace
