// kvo7730-sim's command line: defaults, every option's effect, and refused values.
#include "simulator/sim_options.h"

#include <gtest/gtest.h>

namespace {

SimCommandLine parse(QStringList arguments)
{
    arguments.prepend("kvo7730-sim");
    return parseSimCommandLine(arguments);
}

TEST(SimOptions, noArguments_giveAQuietWellBehavedMonitor)
{
    const SimCommandLine line = parse({});
    ASSERT_TRUE(line.options) << line.message.toStdString();
    const SimOptions& o = *line.options;
    EXPECT_FALSE(o.state.realTimeOn);
    EXPECT_DOUBLE_EQ(o.state.volts, 120.0);
    EXPECT_FALSE(o.responses.silent);
    EXPECT_EQ(o.responses.answerByte, 252);
    EXPECT_FALSE(o.responses.answeredWords);
    EXPECT_EQ(o.faults.wrongChecksumEvery, 0);
    EXPECT_EQ(o.faults.resetStep, 1);
    EXPECT_FALSE(o.comPort);
    EXPECT_EQ(o.step.afterPackets, 0) << "no power step";
}

TEST(SimOptions, everyOptionReachesItsSetting)
{
    const SimCommandLine line = parse({"--realtime-on", "--volts", "230", "--watts1", "500", "--watts2", "-75.5",
                                       "--pf1", "0.5", "--pf2", "1", "--counter-start", "16777200",
                                       "--reset-count", "6", "--bad-checksum-every", "3", "--bad-trailer-every", "4",
                                       "--counter-back-every", "5", "--reset-every", "6", "--reset-step", "2",
                                       "--noise-every", "7", "--answer", "253", "--silent",
                                       "--ack-only", "252,TOG", "--com", "7", "--step-watts1", "1500.5",
                                       "--step-after", "5"});
    ASSERT_TRUE(line.options) << line.message.toStdString();
    const SimOptions& o = *line.options;
    EXPECT_TRUE(o.state.realTimeOn);
    EXPECT_DOUBLE_EQ(o.state.volts, 230.0);
    EXPECT_EQ(o.state.watts, (std::array<double, 2>{500, -75.5}));
    EXPECT_EQ(o.state.powerFactor, (std::array<double, 2>{0.5, 1}));
    EXPECT_EQ(o.state.secondsCounter, 16777200u);
    EXPECT_EQ(o.state.resetCount, 6);
    EXPECT_EQ(o.faults.wrongChecksumEvery, 3);
    EXPECT_EQ(o.faults.wrongTrailerEvery, 4);
    EXPECT_EQ(o.faults.secondsBackEvery, 5);
    EXPECT_EQ(o.faults.resetEvery, 6);
    EXPECT_EQ(o.faults.resetStep, 2);
    EXPECT_EQ(o.faults.noiseEvery, 7);
    EXPECT_EQ(o.responses.answerByte, 253);
    EXPECT_TRUE(o.responses.silent);
    EXPECT_EQ(o.responses.answeredWords, (std::set<std::string>{"252", "TOG"}));
    EXPECT_EQ(o.comPort, 7);
    EXPECT_EQ(o.step.afterPackets, 5);
    EXPECT_DOUBLE_EQ(o.step.watts1, 1500.5);
}

TEST(SimOptions, outOfRangeOrMalformedValues_areRefusedWithTheOptionNamed)
{
    const std::vector<QStringList> refused = {
        {"--pf1", "1.5"},        {"--com", "0"},          {"--com", "65"},         {"--answer", "256"},
        {"--reset-every", "0"},  {"--noise-every", "2.5"}, {"--volts", "abc"},      {"--reset-step", "8"},
        {"--counter-start", "16777216"}, {"--volts", "-1"},
        {"--step-after", "0", "--step-watts1", "100"}, {"--step-watts1", "2e6", "--step-after", "3"},
        {"--step-after", "2.5", "--step-watts1", "100"}, {"--zigbee", "3"}, {"--zigbee", "0"},
        {"--dongle-fault", "silent"}, {"--dongle-fault", "loud", "--zigbee", "1"},
        {"--generate", "3=100"}, {"--generate", "2"}, {"--generate", "2=-5"}, {"--generate", "1=sun"},
    };
    for (const QStringList& arguments : refused) {
        const SimCommandLine line = parse(arguments);
        EXPECT_FALSE(line.options) << arguments.join(' ').toStdString();
        EXPECT_TRUE(line.message.contains(arguments[0])) << line.message.toStdString();
    }
}

TEST(SimOptions, generate_turnsTheChannelsPowerBackToTheGrid)
{
    const SimCommandLine line = parse({"--watts2", "300", "--generate", "2=1500"});
    ASSERT_TRUE(line.options) << line.message.toStdString();
    EXPECT_DOUBLE_EQ(line.options->state.watts[1], -1500);
    EXPECT_DOUBLE_EQ(line.options->state.watts[0], 0);
}

TEST(SimOptions, zigbee_putsADongleForThatNodeInFront_withItsFault)
{
    EXPECT_FALSE(parse({}).options->dongle);
    const struct {
        QStringList arguments;
        int node;
        DongleFault fault;
    } cases[] = {
        {{"--zigbee", "2"}, 2, DongleFault::None},
        {{"--zigbee", "1", "--dongle-fault", "silent"}, 1, DongleFault::Silent},
        {{"--dongle-fault", "error", "--zigbee", "2"}, 2, DongleFault::AlwaysError},
        {{"--zigbee", "2", "--dongle-fault", "split-ok"}, 2, DongleFault::SplitOk},
    };
    for (const auto& c : cases) {
        const SimCommandLine line = parse(c.arguments);
        ASSERT_TRUE(line.options && line.options->dongle) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.options->dongle->node, c.node);
        EXPECT_EQ(line.options->dongle->fault, c.fault);
    }
}

TEST(SimOptions, badWordsUnknownOptionsAndStrayArguments_areRefused)
{
    for (const QStringList& arguments : std::vector<QStringList>{
             {"--ack-only", "TOGX"}, {"--ack-only", "TOG,,PLR"}, {"--bogus"}, {"extra"}, {"--volts"},
             {"--step-watts1", "1500"}, {"--step-after", "3"}}) {
        const SimCommandLine line = parse(arguments);
        EXPECT_FALSE(line.options) << arguments.join(' ').toStdString();
        EXPECT_FALSE(line.helpRequested);
        EXPECT_FALSE(line.message.isEmpty());
    }
}

TEST(SimOptions, help_isReportedWithTheOptionList)
{
    const SimCommandLine line = parse({"--help"});
    EXPECT_TRUE(line.helpRequested);
    EXPECT_FALSE(line.options);
    EXPECT_TRUE(line.message.contains("--realtime-on"));
    EXPECT_TRUE(line.message.contains("--ack-only"));
}

} // namespace

namespace {

TEST(SimOptions, configurationAndSetupFaultsReachTheMonitor)
{
    const SimCommandLine line = parse({"--config", "ct1=50,3 interval=300", "--config", "firmware=2.5",
                                       "--no-ack", "RNG,TYP+", "--short-block", "20"});
    ASSERT_TRUE(line.options) << line.message.toStdString();
    const SimOptions& o = *line.options;
    EXPECT_EQ(o.state.configuration, (MonitorSettings{.ct1Type = 50, .ct1Range = 3, .interval = 300,
                                                      .firmware = 2500}));
    EXPECT_EQ(o.responses.unansweredWords, (std::set<std::string>{"RNG", "TYP+"}));
    EXPECT_EQ(o.responses.settingsBlockLength, 20u);

    EXPECT_EQ(parse({}).options->state.configuration, MonitorSettings{});
    for (const QStringList& bad : {QStringList{"--config", "ct1=50"}, QStringList{"--no-ack", "TOOLONG"},
                                   QStringList{"--short-block", "33"}})
        EXPECT_FALSE(parse(bad).options) << bad.join(' ').toStdString();
}

} // namespace
