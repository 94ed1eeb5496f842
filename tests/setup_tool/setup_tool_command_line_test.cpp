// kvo7730-setup's arguments, checked before the port is touched, and its questions on
// the terminal.
#include "setup_tool/setup_tool.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

SetupToolCommandLine parse(QStringList words)
{
    return parseSetupToolCommandLine(QStringList{"kvo7730-setup"} + words);
}

TEST(SetupToolCommandLine, settingsOutsideTheMonitorsLimitsAreUsageErrors)
{
    const struct {
        QStringList words;
        const char* message;
    } cases[] = {
        {{"write", "interval=300"}, "interval=300: the storage interval must be from 1 to 255 minutes."},
        {{"write", "interval=0"}, "interval=0: the storage interval must be from 1 to 255 minutes."},
        {{"write", "id=128"}, "id=128: the device ID must be from 0 to 127."},
        {{"write", "ct1=100,11"}, "ct1=100,11: the range must be from 1 to 10."},
        {{"write", "id=5", "pt=1,0"}, "pt=1,0: the range must be from 1 to 10."},
        {{"write", "ct2=256,4"}, "Not a setting: \"ct2=256,4\""},
        {{"write", "firmware=2"}, "Not a setting: \"firmware=2\""},
    };
    for (const auto& c : cases) {
        const SetupToolCommandLine line = parse(c.words);
        EXPECT_FALSE(line.request) << c.message;
        EXPECT_FALSE(line.helpRequested);
        EXPECT_EQ(line.message.toStdString(), c.message);
    }
}

TEST(SetupToolCommandLine, settingsAtTheLimitsAreARequest)
{
    const SetupToolCommandLine line =
        parse({"--com", "7", "write", "ct1=255,10", "ct2=0,1", "pt=1,2", "interval=255", "id=127"});
    ASSERT_TRUE(line.request) << line.message.toStdString();
    const SetupToolRequest& request = *line.request;
    EXPECT_EQ(request.action, SetupToolRequest::Action::Write);
    EXPECT_EQ(request.comPort, 7);
    EXPECT_EQ(request.changes.ct1, TypeAndRange(255, 10));
    EXPECT_EQ(request.changes.interval, 255);
    EXPECT_EQ(request.changes.deviceId, 127);

    const SetupToolCommandLine polarity = parse({"--yes", "polarity", "2"});
    ASSERT_TRUE(polarity.request);
    EXPECT_EQ(polarity.request->action, SetupToolRequest::Action::Polarity);
    EXPECT_EQ(polarity.request->channel, 2);
    EXPECT_TRUE(polarity.request->assumeYes);
}

TEST(TerminalDialogs, onlyYesOnTheInputOrTheOptionIsYes)
{
    const struct {
        const char* input;
        bool assumeYes;
        bool yes;
    } cases[] = {{"y\n", false, true}, {"yes\n", false, true}, {"n\n", false, false},
                 {"", false, false},   {"maybe\n", false, false}, {"", true, true}};
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream err;
        TerminalDialogs dialogs(in, err, c.assumeYes);
        std::optional<bool> answer;
        dialogs.ask({"Are you sure?", "Caution"}, [&answer](bool yes) { answer = yes; });
        EXPECT_EQ(answer, c.yes) << c.input;
        EXPECT_EQ(err.str().rfind("Caution: Are you sure? [y/N] ", 0), 0u) << err.str();
    }
}

} // namespace
