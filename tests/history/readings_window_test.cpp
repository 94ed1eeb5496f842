// The live readings window: its texts, its "no data" sentences, its chart's live hour,
// and the window inside the program.
#include "program_rig.h"

#include "history/power_chart.h"
#include "history/reading_texts.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

TEST(NoDataText, saysWhyNoDataComesInTheOrderAUserFixesIt)
{
    struct Case {
        FeedState state;
        std::string text;
    };
    for (const Case& c : {
             Case{{.portOpen = false, .realTimeOn = true, .silentSeconds = 0}, "No data: the COM port is closed."},
             Case{{.portOpen = true, .realTimeOn = false, .silentSeconds = 0}, ""},
             Case{{.portOpen = true, .realTimeOn = false, .silentSeconds = 5}, "No data: real-time data is stopped."},
             Case{{.portOpen = true, .realTimeOn = true}, "No data yet: waiting for the first packet."},
             Case{{.portOpen = true, .realTimeOn = true, .silentSeconds = 4}, ""},
             Case{{.portOpen = true, .realTimeOn = true, .silentSeconds = 12}, "No data: no packet for 12 seconds."},
         })
        EXPECT_EQ(noDataText(c.state), c.text);
}

TEST(ReadingTexts, energyAndCostComeFromTheProgramsTotalsInTheLocalesNumbers)
{
    LiveReadings r;
    r.Watts1 = 1234;
    r.KWh1 = 0.001; // the monitor's own counter, restarted by a reset
    r.TotalWs1 = 9'000'000;
    r.Amps2 = 1.5;
    r.Energy2 = {.importedWs = 7'200'000, .exportedWs = 1'800'000};
    r.Direction2 = EnergyDirection::Generating;
    const ReadingTexts texts = readingTexts(r, 0.2, {.decimal = ',', .group = '.'});
    EXPECT_EQ(texts.channels[0].watts, "1.234");
    EXPECT_EQ(texts.channels[0].kWh, "2,500");
    EXPECT_EQ(texts.channels[0].cost, "0,50");
    EXPECT_EQ(texts.channels[0].direction, "Consuming");
    EXPECT_EQ(texts.channels[1].amps, "1,50");
    EXPECT_EQ(texts.channels[1].boughtKWh, "2,000");
    EXPECT_EQ(texts.channels[1].soldKWh, "0,500");
    EXPECT_EQ(texts.channels[1].boughtCost, "0,40");
    EXPECT_EQ(texts.channels[1].direction, "Generating");
}

TEST(PowerChart, theLiveHourDropsOlderPointsAndKeepsAtMostItsCap)
{
    // Ten seconds apart, each point is drawn at once, whatever the plot's width.
    PowerChart hour;
    PowerChart capped(100);
    for (PowerChart* chart : {&hour, &capped}) {
        chart->showLive({}, 0);
        for (EpochSeconds t = 10; t < 2 * PowerChart::kLiveSeconds; t += 10)
            chart->appendLive({.time = t, .watts1 = double(t % 500), .watts2 = 1});
    }
    EXPECT_EQ(hour.pointCount(), PowerChart::kLiveSeconds / 10 + 1) << "the last hour, both ends in";
    EXPECT_EQ(capped.pointCount(), 100);

    hour.appendLive({.time = 2 * PowerChart::kLiveSeconds - 10, .watts1 = 1, .watts2 = 1});
    EXPECT_EQ(hour.pointCount(), PowerChart::kLiveSeconds / 10 + 1) << "a point in the same second waits";
    hour.appendLive({.time = 2 * PowerChart::kLiveSeconds, .watts1 = 1, .watts2 = 1});
    EXPECT_EQ(hour.pointCount(), PowerChart::kLiveSeconds / 10 + 2) << "both drawn, the oldest dropped";
}

QString valueText(const char* name)
{
    QWidget* window = ProgramRig::topLevel("LiveReadings");
    auto* label = window == nullptr ? nullptr : window->findChild<QLabel*>(QString::fromLatin1(name));
    return label == nullptr ? QStringLiteral("(none)") : label->text();
}

TEST(ReadingsWindowInProgram, opensAtStartWhenSetAndFollowsEachPacketAndTheSilenceAfter)
{
    ProgramRig rig;
    rig.store.values = {{"StartupComIsOn", "True"}, {"ShowReadingsAtStart", "True"}, {"Rate", "0.5"}};
    rig.monitor.state().volts = 230;
    rig.monitor.state().watts = {1500, 0};
    rig.load();
    QWidget* window = ProgramRig::topLevel("LiveReadings");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(valueText("DataState"), QStringLiteral("No data: real-time data is stopped."));

    rig.packet();
    rig.clock.advanceMs(PowerChart::kMaxRedrawSeconds * 1000);
    rig.packet();
    EXPECT_EQ(valueText("Channel 1 power"), QStringLiteral("1,500"));
    EXPECT_EQ(valueText("DataState"), QStringLiteral("Receiving data."));
    EXPECT_EQ(valueText("Voltage"), QStringLiteral("230.0"));
    EXPECT_EQ(valueText("Last packet"), QStringLiteral("2026-12-08 10:15:35"));
    EXPECT_EQ(window->findChild<PowerChart*>()->pointCount(), 2);

    rig.clock.advanceMs(9000);
    rig.tick(*rig.program.findChild<QTimer*>("ReadingsFeedCheck"));
    EXPECT_EQ(valueText("DataState"), QStringLiteral("No data: real-time data is stopped."));
}

} // namespace
