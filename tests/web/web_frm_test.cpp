// The web-posting window on the offscreen platform: its controls, the log view and
// progress bar that follow the posting controller, the web request switch, and its
// events. What a post does is the controller's, tested without the window.
#include "scripted_dialogs.h"
#include "web_posting_rig.h"

#include "platform/twips.h"
#include "web/web_window_owner.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct WebFrmRig : WebPostingRig {
    ScriptedDialogs dialogs;
    WebWindowOwner owner{posting, settings, dialogs};

    WebFrm& window() { return owner.load(); }
    template <typename Widget>
    Widget& child(const char* name)
    {
        auto* widget = window().findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    QString text(const char* name) { return child<QLineEdit>(name).text(); }
    QColor background(const char* name) { return child<QLineEdit>(name).palette().color(QPalette::Base); }
    int progress() { return child<QProgressBar>("ProgressBar1").value(); }

    // The rows as the window's log view shows them.
    QAbstractItemModel& shownLog() { return *child<QTreeView>("ListView1").model(); }
    int shownRows() { return shownLog().rowCount(); }
    QString shownCell(int row, int column) { return shownLog().index(row, column).data().toString(); }
};

TEST(WebFrmWindow, loadsHidden_withItsCaptionStatusBoxesAndButtons)
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
    EXPECT_EQ(rig.progress(), 0);
    EXPECT_TRUE(rig.store.writes.empty());
}

TEST(WebFrmWindow, header_hasTheElevenColumnsWithTheirWidthsInTwips)
{
    WebFrmRig rig;
    QTreeView& view = rig.child<QTreeView>("ListView1");
    const int widths[] = {1300, 800, 800, 1200, 1100, 1100, 1000, 1400, 1400, 900, 900};
    const char* titles[] = {"Trigger Source", "Trig 1", "Trig 2", "Time of Post", "CH1 Watt", "CH2 Watt",
                            "Volt", "CH1 KWh", "CH2 KWh", "CH1 Amp", "CH2 Amp"};
    ASSERT_EQ(rig.shownLog().columnCount(), 11);
    for (int column = 0; column < 11; ++column) {
        EXPECT_EQ(rig.shownLog().headerData(column, Qt::Horizontal).toString(), QString::fromLatin1(titles[column]));
        EXPECT_EQ(view.columnWidth(column), twipsToPixels(view, widths[column])) << column;
    }
    EXPECT_EQ(rig.shownRows(), 0);
}

TEST(WebFrmWindow, tickedWhenPostingIsEnabled_andTheBoxSavesTheSwitchAtOnce)
{
    WebFrmRig rig;
    rig.settings.set(&SettingsValues::VexWriteEnable, true);
    QCheckBox& check = rig.child<QCheckBox>("Check1");
    EXPECT_TRUE(check.isChecked());

    rig.store.writes.clear();
    check.click();
    EXPECT_FALSE(rig.settings.values().VexWriteEnable);
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"VexWriteEnable"});
    EXPECT_EQ(rig.store.values["VexWriteEnable"], "False");
    check.click();
    EXPECT_TRUE(rig.settings.values().VexWriteEnable);
    EXPECT_EQ(rig.store.values["VexWriteEnable"], "True");
}

TEST(WebFrmShowsThePosting, text1_showsDataStartedFromThePacket_evenInAWindowLoadedAfterIt)
{
    WebFrmRig early;
    early.window();
    ASSERT_EQ(early.text("Text1"), QStringLiteral("Real-Time Data Stopped"));
    // Packets arrive while real time is on.
    early.link.RealTimeOn = true;
    early.packet(0);
    EXPECT_FALSE(early.window().isVisible()) << "a packet does not show the window";
    EXPECT_EQ(early.text("Text1"), QStringLiteral("Real-Time Data Started"));
    EXPECT_EQ(early.background("Text1"), QColor(0, 255, 0));

    WebFrmRig late;
    late.link.RealTimeOn = true;
    late.packet(0);
    EXPECT_EQ(late.text("Text1"), QStringLiteral("Real-Time Data Started"));
    EXPECT_EQ(late.background("Text1"), QColor(0, 255, 0));
}

TEST(WebFrmShowsThePosting, theLogView_showsTheControllersRows_includingThoseFromBeforeItLoaded)
{
    WebFrmRig rig;
    rig.stepAndSettle(500);
    EXPECT_EQ(&rig.shownLog(), &rig.posting.log());
    ASSERT_EQ(rig.shownRows(), 1);
    EXPECT_EQ(rig.shownCell(0, 4), QStringLiteral("500"));

    rig.stepAndSettle(1500);
    ASSERT_EQ(rig.shownRows(), 2);
    EXPECT_EQ(rig.shownCell(0, 4), QStringLiteral("1,500")) << "newest at the top";
}

TEST(WebFrmShowsThePosting, theProgressBar_followsTheController)
{
    WebFrmRig rig;
    rig.window();
    emit rig.posting.progressChanged(100);
    EXPECT_EQ(rig.progress(), 100);

    rig.packet(500);
    EXPECT_EQ(rig.progress(), 0) << "each packet empties it";
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
    EXPECT_EQ(rig.shownRows(), 2) << "No keeps the rows";

    rig.packet(2500);  // a step in progress across the clearing
    rig.dialogs.answers.push_back(true);
    clear.click();
    EXPECT_EQ(rig.shownRows(), 0);
    rig.packet(2500);
    ASSERT_EQ(rig.shownRows(), 1);
    EXPECT_EQ(rig.shownCell(0, 1), QStringLiteral("1,000"));
}

TEST(WebFrmEvents, clearList_answeredLater_removesWhatIsShownThen)
{
    WebFrmRig rig;
    rig.dialogs.holdAnswers = true;
    rig.stepAndSettle(500);
    rig.child<QPushButton>("Command2").click();
    rig.stepAndSettle(1500);
    EXPECT_EQ(rig.shownRows(), 2) << "posting goes on while the question is open";

    rig.dialogs.answers.push_back(true);
    rig.dialogs.answerOldest();

    EXPECT_EQ(rig.shownRows(), 0);
}

TEST(WebFrmEvents, clearList_answeredYesOnceTheWindowIsGone_harmsNothing)
{
    WebFrmRig rig;
    rig.dialogs.holdAnswers = true;
    auto owner = std::make_unique<WebWindowOwner>(rig.posting, rig.settings, rig.dialogs);
    rig.stepAndSettle(500);
    owner->load().findChild<QPushButton*>("Command2")->click();
    owner.reset();

    rig.dialogs.answers.push_back(true);
    rig.dialogs.answerOldest();

    EXPECT_EQ(rig.rows(), 1) << "the log is the posting's; only the window's Yes clears it";
}

TEST(WebFrmEvents, hideAndTheCloseBox_onlyHide_andPostingGoesOn)
{
    WebFrmRig rig;
    rig.owner.MnuWritetoWeb_Click();
    WebFrm* window = &rig.window();
    EXPECT_TRUE(window->isVisible());

    rig.child<QPushButton>("Command3").click();
    EXPECT_FALSE(window->isVisible());

    rig.owner.MnuWritetoWeb_Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->close()) << "closing is refused";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(&rig.window(), window) << "the same window stays loaded";

    rig.stepAndSettle(500);
    EXPECT_EQ(rig.shownRows(), 1);
}

TEST(WebFrmEvents, minimizingTheMainWindow_hidesItUnlessMaximized)
{
    WebFrmRig rig;
    rig.owner.closeUnlessMaximized();
    EXPECT_FALSE(rig.window().isVisible()) << "loaded to read its state, then closed";

    rig.owner.MnuWritetoWeb_Click();
    rig.owner.closeUnlessMaximized();
    EXPECT_FALSE(rig.window().isVisible());

    rig.window().showMaximized();
    rig.owner.closeUnlessMaximized();
    EXPECT_TRUE(rig.window().isVisible());
}

TEST(WebFrmEvents, refreshTextBoxes_showsTheCurrentSettingsAndRealTimeState)
{
    WebFrmRig rig;
    rig.window();
    rig.settings.set(&SettingsValues::VexUser, "meter user");
    rig.settings.set(&SettingsValues::VexThresT, 300);
    rig.settings.set(&SettingsValues::VexThres1, 40);
    rig.settings.set(&SettingsValues::VexThres2, 1200);
    rig.link.RealTimeOn = true;
    rig.owner.RefreshTextBoxes();

    EXPECT_EQ(rig.text("Text1"), QStringLiteral("Real-Time Data Started"));
    EXPECT_EQ(rig.background("Text1"), QColor(0, 255, 0));
    EXPECT_EQ(rig.text("Text2"), QStringLiteral("meter user"));
    EXPECT_EQ(rig.text("Text3"), QStringLiteral("300"));
    EXPECT_EQ(rig.text("Text4"), QStringLiteral("40"));
    EXPECT_EQ(rig.text("Text5"), QStringLiteral("1200"));

    rig.posting.realTimeBox().show("Real-Time Data Active", status_look::Good);
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("Real-Time Data Active")) << "the link writes Text1 too";
}

} // namespace
