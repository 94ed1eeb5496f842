// The service's reports on the console: time stamps, the answer nobody gives, and
// status boxes that repeat themselves.
#include "fake_clock.h"

#include "service/console_log.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

struct ConsoleRig {
    FakeClock clock{DateTime{2026, 12, 8, 9, 5, 7}};
    std::ostringstream out;
    ConsoleLog log{clock, out};
};

TEST(ConsoleLog, eachReportIsOneTimeStampedLine)
{
    ConsoleRig rig;
    ConsoleDialogs dialogs(rig.log);
    ConsoleStatusList list(rig.log);

    dialogs.message("FindPort Error");
    list.addLine("Real-Time is ON");
    list.clear();

    EXPECT_EQ(rig.out.str(), "2026-12-08 09:05:07 FindPort Error\n2026-12-08 09:05:07 Real-Time is ON\n");
}

TEST(ConsoleLog, aQuestion_isLoggedAndAnsweredNoOnce_beforeAskReturns)
{
    ConsoleRig rig;
    ConsoleDialogs dialogs(rig.log);
    std::vector<bool> answers;

    dialogs.ask({"Invalid COM port. Would you like to search for available ports?"},
                [&answers](bool yes) { answers.push_back(yes); });

    EXPECT_EQ(answers, std::vector<bool>{false});
    EXPECT_EQ(rig.out.str(), "2026-12-08 09:05:07 Invalid COM port. Would you like to search for available "
                             "ports? [No: there is nobody to ask]\n");
}

TEST(ConsoleLog, aStatusBox_logsEachNewTextOnce)
{
    ConsoleRig rig;
    ConsoleStatusBox box(rig.log);

    for (const char* text : {"TCP Server Closed", "TCP Server Closed", "TCP Server Listening", "",
                             "TCP Server Listening", "TCP Server Closed"})
        box.show(text, status_look::Stopped);

    EXPECT_EQ(rig.out.str(), "2026-12-08 09:05:07 TCP Server Closed\n2026-12-08 09:05:07 TCP Server Listening\n"
                             "2026-12-08 09:05:07 TCP Server Closed\n");
}

} // namespace
