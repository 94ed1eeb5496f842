// The web-posting window on the offscreen platform: its controls, the log rows of
// posts, the push to the TCP client, the web request switch, and its events.
#include "fake_clock.h"
#include "memory_settings_store.h"
#include "scripted_dialogs.h"

#include "link/program_state.h"
#include "platform/status_box.h"
#include "platform/twips.h"
#include "server/reading_lines.h"
#include "settings/persisted_settings.h"
#include "web/web_posting.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

struct WebFrmRig {
    FakeClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore store;
    ProgramState state;
    PersistedSettings settings{store, state};
    HeldStatusBox realTimeBox;
    bool clientConnected = false;
    std::vector<std::string> pushed;
    int webConnects = 0;
    WebPosting posting{WebFrmParts{state, settings, dialogs, clock, realTimeBox, NumberSymbols{},
                                   PostActions{[this] { return clientConnected; },
                                               [this](const std::string& text) { pushed.push_back(text); },
                                               [this] { ++webConnects; }}}};

    WebFrm& window() { return posting.load(); }
    template <typename Widget>
    Widget& child(const char* name)
    {
        auto* widget = window().findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    QString text(const char* name) { return child<QLineEdit>(name).text(); }
    QColor background(const char* name) { return child<QLineEdit>(name).palette().color(QPalette::Base); }

    // One decoded packet with these channel powers.
    void packet(double watts1, double watts2 = 0)
    {
        state.readings.Watts1 = watts1;
        state.readings.Watts2 = watts2;
        posting.PostReadings();
    }
    // Two packets: a step to the power, then the same power, which posts.
    void stepAndSettle(double watts1)
    {
        packet(watts1);
        packet(watts1);
    }

    QAbstractItemModel& log() { return *child<QTreeView>("ListView1").model(); }
    int rows() { return log().rowCount(); }
    QString cell(int row, int column) { return log().index(row, column).data().toString(); }
};

TEST(WebFrmWindow, loadsHidden_withItsCaptionStatusBoxesButtonsAndTimer)
{
    WebFrmRig rig;
    WebFrm& window = rig.window();

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.objectName(), QStringLiteral("WebFrm"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Send Data to Web Server"));
    const char* labels[] = {"Communication", "Web Server Account", "Trig Interval (Sec)", "CH1 Trig Power (W)",
                            "CH2 Trig Power (W)"};
    for (int n = 1; n <= 5; ++n) {
        const QString name = QStringLiteral("Label%1").arg(n);
        EXPECT_EQ(rig.child<QLabel>(name.toLatin1().constData()).text(), QString::fromLatin1(labels[n - 1]));
    }
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("Real-Time Data Stopped"));
    EXPECT_EQ(rig.background("Text1"), QColor(255, 0, 0));
    EXPECT_EQ(rig.text("Text2"), QStringLiteral("****"));
    EXPECT_EQ(rig.text("Text3"), QStringLiteral("60"));
    EXPECT_EQ(rig.text("Text4"), QStringLiteral("60"));
    EXPECT_EQ(rig.text("Text5"), QStringLiteral("60"));
    EXPECT_EQ(rig.child<QCheckBox>("Check1").text(), QStringLiteral("Enable Web Server"));
    EXPECT_FALSE(rig.child<QCheckBox>("Check1").isChecked());
    EXPECT_EQ(rig.child<QPushButton>("Command2").text(), QStringLiteral("Clear List"));
    EXPECT_EQ(rig.child<QPushButton>("Command3").text(), QStringLiteral("Hide"));
    EXPECT_EQ(rig.child<QProgressBar>("ProgressBar1").value(), 0);
    EXPECT_FALSE(rig.child<QTimer>("Timer1").isActive());
    EXPECT_EQ(rig.child<QTimer>("Timer1").interval(), 1000);
    EXPECT_TRUE(rig.store.writes.empty());
}

TEST(WebFrmWindow, header_hasTheElevenColumnsWithTheirWidthsInTwips)
{
    WebFrmRig rig;
    QTreeView& view = rig.child<QTreeView>("ListView1");
    const int widths[] = {1300, 800, 800, 1200, 1100, 1100, 1000, 1400, 1400, 900, 900};
    const char* titles[] = {"Trigger Source", "Trig 1", "Trig 2", "Time of Post", "CH1 Watt", "CH2 Watt",
                            "Volt", "CH1 KWh", "CH2 KWh", "CH1 Amp", "CH2 Amp"};
    ASSERT_EQ(rig.log().columnCount(), 11);
    for (int column = 0; column < 11; ++column) {
        EXPECT_EQ(rig.log().headerData(column, Qt::Horizontal).toString(), QString::fromLatin1(titles[column]));
        EXPECT_EQ(view.columnWidth(column), twipsToPixels(view, widths[column])) << column;
    }
    EXPECT_EQ(rig.rows(), 0);
}

TEST(WebFrmWindow, tickedWhenPostingIsEnabled_andTheBoxSavesTheSwitchAtOnce)
{
    WebFrmRig rig;
    rig.state.VexWriteEnable = true;
    QCheckBox& check = rig.child<QCheckBox>("Check1");
    EXPECT_TRUE(check.isChecked());

    rig.store.writes.clear();
    check.click();
    EXPECT_FALSE(rig.state.VexWriteEnable);
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"VexWriteEnable"});
    EXPECT_EQ(rig.store.values["VexWriteEnable"], "False");
    check.click();
    EXPECT_TRUE(rig.state.VexWriteEnable);
    EXPECT_EQ(rig.store.values["VexWriteEnable"], "True");
}

TEST(WebFrmPosting, firstPacket_loadsTheWindowHidden_startsTheIntervalClock_andShowsDataStarted)
{
    WebFrmRig rig;
    rig.packet(0);

    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_TRUE(rig.child<QTimer>("Timer1").isActive());
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("Real-Time Data Started"));
    EXPECT_EQ(rig.background("Text1"), QColor(0, 255, 0));
    EXPECT_EQ(rig.realTimeBox.text(), "Real-Time Data Started");
    EXPECT_EQ(rig.rows(), 0) << "no power against an empty history: nothing to post";
}

TEST(WebFrmPosting, settledSteps_addRowsWithTheReadings_newestAtTheTop)
{
    WebFrmRig rig;
    LiveReadings& r = rig.state.readings;
    r.Volts = 120;
    r.Amps1 = 4.17f;
    r.TotalWs1 = 3600000;
    r.TotalWs2 = 1800;
    rig.stepAndSettle(500);
    ASSERT_EQ(rig.rows(), 1);
    rig.packet(500);
    rig.packet(900);
    rig.clock.advanceMs(5000);
    rig.packet(905);

    ASSERT_EQ(rig.rows(), 2);
    const QStringList expected = {"CH1 / ", "400",   "0",     "10:15:35", "905", "0",
                                  "120.0",  "1.000", ".001",  "4.2",      ".0"};
    for (int column = 0; column < 11; ++column)
        EXPECT_EQ(rig.cell(0, column), expected[column]) << column;
    EXPECT_EQ(rig.cell(1, 3), QStringLiteral("10:15:30"));
    EXPECT_EQ(rig.cell(1, 4), QStringLiteral("500"));
}

TEST(WebFrmPosting, connectedClientWithTriggerPushOn_getsTheAllLine_evenWithWebPostingOff)
{
    WebFrmRig rig;
    rig.state.AutoWriteLocal = 1;
    rig.clientConnected = true;
    rig.state.readings.Volts = 230;
    rig.stepAndSettle(1500);

    ASSERT_EQ(rig.pushed.size(), 1u);
    EXPECT_EQ(rig.pushed[0], allLine(rig.state.readings, {}) + "\r\n");
    EXPECT_TRUE(rig.pushed[0].starts_with("1500\t0\t")) << rig.pushed[0];
    EXPECT_EQ(rig.webConnects, 0) << "posting to the web is off";
    EXPECT_EQ(rig.rows(), 1);
    EXPECT_EQ(rig.child<QProgressBar>("ProgressBar1").value(), 0);
}

TEST(WebFrmPosting, pushNeedsBothAClientAndTheOption)
{
    WebFrmRig rig;
    rig.state.AutoWriteLocal = 0;
    rig.clientConnected = true;
    rig.stepAndSettle(500);
    rig.state.AutoWriteLocal = 1;
    rig.clientConnected = false;
    rig.stepAndSettle(1500);

    EXPECT_TRUE(rig.pushed.empty());
    EXPECT_EQ(rig.rows(), 2);
}

TEST(WebFrmPosting, webPostingOn_connectsOncePerPost_andFillsTheBarUntilTheNextPacket)
{
    WebFrmRig rig;
    rig.state.VexWriteEnable = true;
    rig.packet(500);
    EXPECT_EQ(rig.webConnects, 0);
    rig.packet(500);
    EXPECT_EQ(rig.webConnects, 1);
    EXPECT_EQ(rig.child<QProgressBar>("ProgressBar1").value(), 100);

    rig.packet(500);
    EXPECT_EQ(rig.webConnects, 1);
    EXPECT_EQ(rig.child<QProgressBar>("ProgressBar1").value(), 0);
}

TEST(WebFrmPosting, theLogKeeps1000Rows_newestFirst)
{
    WebFrmRig rig;
    for (int post = 1; post <= 1002; ++post)
        rig.stepAndSettle(post * 100.0);

    ASSERT_EQ(rig.rows(), 1000);
    EXPECT_EQ(rig.cell(0, 4), QStringLiteral("100,200"));
    EXPECT_EQ(rig.cell(999, 4), QStringLiteral("300")) << "posts 1 and 2 have gone";
}

TEST(WebFrmPosting, intervalClock_postsTimeOutAfterVexThresTTicks_andStopsOnceRealTimeHasStopped)
{
    WebFrmRig rig;
    rig.state.VexThresT = 3;
    rig.state.RealTimeOn = true;
    rig.stepAndSettle(500);
    QTimer& timer = rig.child<QTimer>("Timer1");
    for (int tick = 0; tick < 3; ++tick)
        QMetaObject::invokeMethod(&timer, "timeout");
    rig.packet(500);
    ASSERT_EQ(rig.rows(), 2);
    EXPECT_EQ(rig.cell(0, 0), QStringLiteral(" Time out"));

    rig.state.RealTimeOn = false;
    QMetaObject::invokeMethod(&timer, "timeout");
    EXPECT_FALSE(timer.isActive());
    rig.packet(500);
    EXPECT_TRUE(timer.isActive()) << "the next packet starts it again";
}

TEST(WebFrmEvents, clearList_asksFirst_andYesEmptiesTheLogButKeepsTheTriggerState)
{
    WebFrmRig rig;
    rig.stepAndSettle(500);
    rig.stepAndSettle(1500);
    QPushButton& clear = rig.child<QPushButton>("Command2");

    clear.click();
    ASSERT_EQ(rig.dialogs.questions.size(), 1u);
    EXPECT_EQ(rig.dialogs.questions[0], "Are you sure you want to remove all displayed records from list?");
    EXPECT_EQ(rig.rows(), 2) << "No keeps the rows";

    rig.packet(2500);  // a step in progress across the clearing
    rig.dialogs.answers.push_back(true);
    clear.click();
    EXPECT_EQ(rig.rows(), 0);
    rig.packet(2500);
    ASSERT_EQ(rig.rows(), 1);
    EXPECT_EQ(rig.cell(0, 1), QStringLiteral("1,000"));
}

TEST(WebFrmEvents, hideAndTheCloseBox_onlyHide_andPostingGoesOn)
{
    WebFrmRig rig;
    rig.posting.MnuWritetoWeb_Click();
    WebFrm* window = &rig.window();
    EXPECT_TRUE(window->isVisible());

    rig.child<QPushButton>("Command3").click();
    EXPECT_FALSE(window->isVisible());

    rig.posting.MnuWritetoWeb_Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->close()) << "closing is refused";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(&rig.window(), window) << "the same window stays loaded";

    rig.stepAndSettle(500);
    EXPECT_EQ(rig.rows(), 1);
}

TEST(WebFrmEvents, minimizingTheMainWindow_hidesItUnlessMaximized)
{
    WebFrmRig rig;
    rig.posting.closeUnlessMaximized();
    EXPECT_FALSE(rig.window().isVisible()) << "loaded to read its state, then closed";

    rig.posting.MnuWritetoWeb_Click();
    rig.posting.closeUnlessMaximized();
    EXPECT_FALSE(rig.window().isVisible());

    rig.window().showMaximized();
    rig.posting.closeUnlessMaximized();
    EXPECT_TRUE(rig.window().isVisible());
}

TEST(WebFrmEvents, refreshTextBoxes_showsTheCurrentSettingsAndRealTimeState)
{
    WebFrmRig rig;
    rig.window();
    rig.state.VexUser = "meter user";
    rig.state.VexThresT = 300;
    rig.state.VexThres1 = 40;
    rig.state.VexThres2 = 1200;
    rig.state.RealTimeOn = true;
    rig.posting.RefreshTextBoxes();

    EXPECT_EQ(rig.text("Text1"), QStringLiteral("Real-Time Data Started"));
    EXPECT_EQ(rig.background("Text1"), QColor(0, 255, 0));
    EXPECT_EQ(rig.text("Text2"), QStringLiteral("meter user"));
    EXPECT_EQ(rig.text("Text3"), QStringLiteral("300"));
    EXPECT_EQ(rig.text("Text4"), QStringLiteral("40"));
    EXPECT_EQ(rig.text("Text5"), QStringLiteral("1200"));

    rig.realTimeBox.show("Real-Time Data Active", status_look::Good);
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("Real-Time Data Active")) << "the link writes Text1 too";
}

} // namespace
