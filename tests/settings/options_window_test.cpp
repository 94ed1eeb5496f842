// The options window on the offscreen platform: loading, check boxes, field checks
// on leaving a box, the polarity test, closing, and creation on demand.
#include "memory_settings_store.h"
#include "scripted_dialogs.h"

#include "link/live_readings.h"
#include "settings/options_window_owner.h"
#include "settings/persisted_settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

struct OptionsRig {
    MemorySettingsStore store;
    PersistedSettings settings{store};
    LiveReadings readings;
    ScriptedDialogs dialogs;
    OptionsWindowOwner owner{OptionsContext{.settings = settings,
                                            .readings = readings,
                                            .dialogs = dialogs,
                                            .symbols = NumberSymbols{'.', ','}}};
    int webRefreshes = 0;

    OptionsRig()
    {
        QObject::connect(&owner, &OptionsWindowOwner::webPostingRefreshWanted, &owner, [this] { ++webRefreshes; });
    }

    const SettingsValues& values() const { return settings.values(); }

    OptionsFrm& window() { return owner.window(); }
    QLineEdit& box(const char* name) { return *window().findChild<QLineEdit*>(name); }
    QCheckBox& check(const char* name) { return *window().findChild<QCheckBox*>(name); }
    QPushButton& button(const char* name) { return *window().findChild<QPushButton*>(name); }
    QTimer& Timer1() { return *window().findChild<QTimer*>("Timer1"); }
    QString text(const char* name) { return box(name).text(); }
    QColor background(const char* name) { return box(name).palette().color(QPalette::Base); }
    QColor foreground(const char* name) { return box(name).palette().color(QPalette::Text); }

    // Shows the window as the active one, so that the focus moves as it does for a user.
    void showActive()
    {
        owner.show();
        QApplication::setActiveWindow(&window());
        QApplication::processEvents();
    }

    // Types into a box and tabs to another, then lets the box's check run.
    void leave(const char* name, const QString& typed, const char* next = "Text6")
    {
        showActive();
        box(name).setFocus(Qt::TabFocusReason);
        box(name).setText(typed);
        box(next).setFocus(Qt::TabFocusReason);
        // The check runs queued; a second round runs what it queued in turn.
        QApplication::processEvents();
        QApplication::processEvents();
    }

    bool focusIn(const char* name) { return QApplication::focusWidget() == &box(name); }

    void tickTimer1() { QMetaObject::invokeMethod(&Timer1(), "timeout"); }

    // Lets Qt delete windows that closed.
    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST(OptionsWindowLoad, boxesShowTheSharedValuesOfTheMoment)
{
    OptionsRig rig;
    rig.settings.set(&SettingsValues::AutoWriteLocal, 1);
    rig.settings.set(&SettingsValues::VexUser, "al");
    rig.settings.set(&SettingsValues::VexThresT, 120);
    rig.settings.set(&SettingsValues::VexThres1, 45);
    rig.settings.set(&SettingsValues::VexThres2, 300);
    rig.settings.set(&SettingsValues::WebHost, "example.org");
    rig.settings.set(&SettingsValues::StartupListen, true);
    rig.settings.set(&SettingsValues::StartupRTLisOn, true);
    rig.settings.set(&SettingsValues::StartupServerIsOn, true);

    EXPECT_EQ(rig.window().objectName(), QStringLiteral("OptionsFrm"));
    EXPECT_EQ(rig.window().windowTitle(), QStringLiteral("Options"));
    EXPECT_FALSE(rig.window().isVisible()) << "created without being shown";
    EXPECT_TRUE(rig.check("Check5").isChecked());
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("al"));
    EXPECT_EQ(rig.text("Text3"), QStringLiteral("120"));
    EXPECT_EQ(rig.text("Text4"), QStringLiteral("45"));
    EXPECT_EQ(rig.text("Text5"), QStringLiteral("300"));
    EXPECT_EQ(rig.text("Text6"), QStringLiteral("example.org/Monitor/monitor.php?user=al"));
    EXPECT_EQ(rig.text("WebHost"), QStringLiteral("example.org"));
    EXPECT_TRUE(rig.check("Check1").isChecked());
    EXPECT_FALSE(rig.check("Check2").isChecked());
    EXPECT_TRUE(rig.check("Check3").isChecked());
    EXPECT_FALSE(rig.check("Check4").isChecked()) << "only the start-up sequence ticks it";
    EXPECT_EQ(rig.text("Text7"), QStringLiteral("0.1260"));
    EXPECT_EQ(rig.text("Text8"), QStringLiteral("Idle"));
    EXPECT_EQ(rig.text("Text9"), QStringLiteral("Idle"));
}

TEST(OptionsWindowLoad, boxesTickedByLoadingSaveTheirKeysAgain_clearOnesSaveNothing)
{
    OptionsRig rig;
    rig.settings.set(&SettingsValues::StartupListen, true);
    rig.window();
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"StartupListen"});
    EXPECT_EQ(rig.store.values["StartupListen"], "True");

    OptionsRig quiet;
    quiet.window();
    EXPECT_TRUE(quiet.store.writes.empty());
}

TEST(OptionsWindowLayout, tabsControlsCaptionsAndTipsAreThere)
{
    OptionsRig rig;
    auto& tabs = *rig.window().findChild<QTabWidget*>("SSTab1");
    ASSERT_EQ(tabs.count(), 6);
    EXPECT_EQ(tabs.tabText(0), QStringLiteral("General"));
    EXPECT_EQ(tabs.tabText(1), QStringLiteral("Web Server"));
    EXPECT_EQ(tabs.tabText(2), QStringLiteral("Solar/Wind Systems"));
    EXPECT_EQ(tabs.tabText(3), QStringLiteral("MQTT"));
    EXPECT_EQ(tabs.tabText(4), QStringLiteral("Dashboard"));
    EXPECT_EQ(tabs.tabText(5), QStringLiteral("InfluxDB"));

    struct Caption {
        const char* name;
        const char* caption;
        const char* tip;
    };
    for (const Caption& c : {
             Caption{"Check1", "Server Listens when Program Starts", ""},
             Caption{"Check2", "Open COM Port when Program Starts", "Recommended"},
             Caption{"Check3", "Start Real-Time when Program Starts", "Not recommended."},
             Caption{"Check4", "Write to Web Server",
                     "Automaticaly writes to web server when software starts, providing an account has been "
                     "established."},
             Caption{"Check5", "Send Data to Client when Triggering Power triggering Events Occur.", ""},
         }) {
        EXPECT_EQ(rig.check(c.name).text(), QString::fromLatin1(c.caption)) << c.name;
        EXPECT_EQ(rig.check(c.name).toolTip(), QString::fromLatin1(c.tip)) << c.name;
    }
    for (const Caption& c : {
             Caption{"Text3", "", "How often to update the web server."},
             Caption{"Text4", "", "Minimum change in CH1 power which will cause data to be writen to the web server."},
             Caption{"Text5", "", "Minimum change in CH2 power which will cause data to be writen to the web server."},
             Caption{"Text7", "", "Cost of electricity from your power company. May be acquired from electric bill."},
         })
        EXPECT_EQ(rig.box(c.name).toolTip(), QString::fromLatin1(c.tip)) << c.name;
    EXPECT_EQ(rig.button("Command1").text(), QStringLiteral("Done"));
    EXPECT_EQ(rig.button("Command2").text(), QStringLiteral("Test Energy Polarity"));
    EXPECT_EQ(rig.button("Command4").text(), QStringLiteral("Done"));
    auto* exit = rig.window().findChild<QAction*>("MnuExit");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->text(), QStringLiteral("Exit"));
}

TEST(OptionsWindowChecks, eachStartUpBoxSetsItsFlagAndSavesItsKey_whateverTheOthers)
{
    struct Box {
        const char* name;
        bool SettingsValues::*flag;
        const char* key;
    };
    for (const Box& b : {Box{"Check1", &SettingsValues::StartupListen, "StartupListen"},
                         Box{"Check2", &SettingsValues::StartupComIsOn, "StartupComIsOn"},
                         Box{"Check3", &SettingsValues::StartupRTLisOn, "StartupRTLisOn"},
                         Box{"Check4", &SettingsValues::StartupServerIsOn, "StartupServerIsOn"},
                         Box{"ShowReadingsAtStart", &SettingsValues::ShowReadingsAtStart, "ShowReadingsAtStart"}}) {
        OptionsRig rig;
        rig.check(b.name).click();
        EXPECT_TRUE(rig.values().*b.flag) << b.name;
        EXPECT_EQ(rig.store.values[b.key], "True") << b.name;
        EXPECT_EQ(rig.store.writes, std::vector<std::string>{b.key}) << "only its own key";

        rig.check(b.name).click();
        EXPECT_FALSE(rig.values().*b.flag) << b.name;
        EXPECT_EQ(rig.store.values[b.key], "False") << b.name;
    }
}

TEST(OptionsWindowChecks, listenOnThisComputerOnly_showsTheSettingAndSavesItAtOnce)
{
    OptionsRig rig;
    rig.settings.set(&SettingsValues::TCPlocalOnly, true);
    QCheckBox& box = rig.check("TCPlocalOnly");
    EXPECT_EQ(box.text(), QStringLiteral("Listen on this computer only"));
    EXPECT_EQ(box.accessibleName(), QStringLiteral("Listen on this computer only"));
    EXPECT_TRUE(box.isChecked());

    box.click();
    EXPECT_FALSE(rig.values().TCPlocalOnly);
    EXPECT_EQ(rig.store.values["TCPlocalOnly"], "False");
    box.click();
    EXPECT_TRUE(rig.values().TCPlocalOnly);
    EXPECT_EQ(rig.store.values["TCPlocalOnly"], "True");
}

TEST(OptionsWindowChecks, triggerPushBoxSavesAutoWriteLocalAsADigit)
{
    OptionsRig rig;
    rig.check("Check5").click();
    EXPECT_EQ(rig.values().AutoWriteLocal, 1);
    EXPECT_EQ(rig.store.values["AutoWriteLocal"], "1");
    rig.check("Check5").click();
    EXPECT_EQ(rig.values().AutoWriteLocal, 0);
    EXPECT_EQ(rig.store.values["AutoWriteLocal"], "0");
}

TEST(OptionsWindowChecks, aStoredTwoShowsTheTriggerPushBoxGrey_andStaysTwoUntilTheUserChangesIt)
{
    OptionsRig rig;
    rig.store.values["AutoWriteLocal"] = "2";
    rig.settings.loadAtStartup();

    EXPECT_EQ(rig.check("Check5").checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(rig.values().AutoWriteLocal, 2);
    EXPECT_EQ(rig.store.values["AutoWriteLocal"], "2");
    rig.window().close();
    OptionsRig::settle();
    EXPECT_EQ(rig.check("Check5").checkState(), Qt::PartiallyChecked) << "a window created anew";
    EXPECT_EQ(rig.values().AutoWriteLocal, 2);

    // A click ticks the grey box; from then on it is clear or ticked.
    const std::pair<Qt::CheckState, std::uint8_t> clicks[] = {
        {Qt::Checked, 1}, {Qt::Unchecked, 0}, {Qt::Checked, 1}, {Qt::Unchecked, 0}};
    for (const auto& [state, value] : clicks) {
        rig.check("Check5").click();
        EXPECT_EQ(rig.check("Check5").checkState(), state);
        EXPECT_EQ(rig.values().AutoWriteLocal, value);
        EXPECT_EQ(rig.store.values["AutoWriteLocal"], std::to_string(value));
    }
}

TEST(OptionsWindowChecks, settingTheTriggerPushFromOutsideActsLikeAClick_onlyWhenItChanges)
{
    OptionsRig rig;
    rig.owner.setTriggerPushBox(true);
    EXPECT_FALSE(rig.window().isVisible()) << "created hidden";
    EXPECT_TRUE(rig.check("Check5").isChecked());
    EXPECT_EQ(rig.values().AutoWriteLocal, 1);
    EXPECT_EQ(rig.store.values["AutoWriteLocal"], "1");

    rig.owner.setTriggerPushBox(true);
    EXPECT_EQ(rig.store.writes.size(), 1u) << "already ticked: nothing runs";

    rig.owner.setTriggerPushBox(false);
    EXPECT_EQ(rig.values().AutoWriteLocal, 0);
    EXPECT_EQ(rig.store.values["AutoWriteLocal"], "0");
}

TEST(OptionsWindowChecks, tickingWriteToWebServerAtStartUpSavesTheFlagOfAHiddenWindow)
{
    OptionsRig rig;
    rig.owner.tickWriteToWebServer();
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_TRUE(rig.check("Check4").isChecked());
    EXPECT_TRUE(rig.values().StartupServerIsOn);
    EXPECT_EQ(rig.store.values["StartupServerIsOn"], "True");
}

TEST(OptionsWindowFields, writeIntervalBelowTenIsCorrected_tenIsAcceptedSilently)
{
    OptionsRig rig;
    rig.leave("Text3", "5");
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Must be set above 10 seconds."});
    EXPECT_EQ(rig.text("Text3"), QStringLiteral("10"));
    EXPECT_EQ(rig.values().VexThresT, 10);
    EXPECT_TRUE(rig.focusIn("Text6")) << "a corrected entry lets the user move on";

    rig.settings.set(&SettingsValues::VexThresT, 60);
    rig.leave("Text3", "10");
    EXPECT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.values().VexThresT, 10);
    EXPECT_TRUE(rig.store.writes.empty()) << "the triggers are saved with the other settings";
}

TEST(OptionsWindowFields, textsThatAreNoNumbersAreRefused_withTheFocusBackInTheBox)
{
    struct Field {
        const char* name;
        std::int16_t SettingsValues::*value;
        const char* message;
    };
    for (const Field& f : {Field{"Text3", &SettingsValues::VexThresT, "Interval must be a numeric value"},
                           Field{"Text4", &SettingsValues::VexThres1, "This must be a numeric value"},
                           Field{"Text5", &SettingsValues::VexThres2, "This must be a numeric value"}}) {
        OptionsRig rig;
        rig.leave(f.name, "abc");
        EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{f.message}) << f.name;
        EXPECT_TRUE(rig.focusIn(f.name)) << f.name;
        EXPECT_EQ(rig.values().*f.value, 60) << f.name;
        EXPECT_EQ(rig.text(f.name), QStringLiteral("abc")) << f.name;
    }
}

TEST(OptionsWindowFields, powerChangesBelowFortyAreCorrected_andRoundedHalfToEven)
{
    OptionsRig rig;
    rig.leave("Text4", "12");
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Must be set above 40 watt."});
    EXPECT_EQ(rig.text("Text4"), QStringLiteral("40"));
    EXPECT_EQ(rig.values().VexThres1, 40);

    rig.leave("Text5", "100.5");
    EXPECT_EQ(rig.values().VexThres2, 100);
    EXPECT_EQ(rig.dialogs.messages.size(), 1u);
}

TEST(OptionsWindowFields, valuesAboveSixteenBitsAreRefused_andStoreNothing)
{
    OptionsRig rig;
    rig.leave("Text3", "40000");
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Must not be set above 32767 seconds."});
    EXPECT_EQ(rig.values().VexThresT, 60);
    EXPECT_TRUE(rig.focusIn("Text3"));

    rig.leave("Text4", "32768");
    EXPECT_EQ(rig.dialogs.messages.back(), "Must not be set above 32767 watt.");
    EXPECT_EQ(rig.values().VexThres1, 60);

    rig.leave("Text5", "32767");
    EXPECT_EQ(rig.values().VexThres2, 32767);
}

TEST(OptionsWindowFields, anEmptyUserNameIsRefused_aTypedOneIsSaved)
{
    OptionsRig rig;
    rig.leave("Text1", "");
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"User error"});
    EXPECT_TRUE(rig.focusIn("Text1"));
    EXPECT_EQ(rig.values().VexUser, "****");
    EXPECT_TRUE(rig.store.writes.empty());

    rig.leave("Text1", "al");
    EXPECT_EQ(rig.values().VexUser, "al");
    EXPECT_EQ(rig.store.values["VexUser"], "al");
}

TEST(OptionsWindowFields, aRateOfOneIsStoredWithoutAQuestion)
{
    OptionsRig rig;
    rig.leave("Text7", "1");
    EXPECT_TRUE(rig.dialogs.questions.empty());
    EXPECT_EQ(rig.values().Rate, 1.0);
    EXPECT_EQ(rig.store.values["Rate"], "1");
}

TEST(OptionsWindowFields, aRateAboveOneIsAsked_noKeepsTheOldRateAndTheTypedText)
{
    OptionsRig rig;
    rig.dialogs.answers = {false};
    rig.leave("Text7", "1.5");
    ASSERT_EQ(rig.dialogs.questions.size(), 1u);
    EXPECT_EQ(rig.dialogs.questions[0],
              "You have entered a value greater than one Dollar. Are you sure your rate is this high? You can find "
              "this value on your electric bill. Would you like to keep the value of 1.5?");
    EXPECT_EQ(rig.values().Rate, 0.126);
    EXPECT_TRUE(rig.store.writes.empty());
    EXPECT_EQ(rig.text("Text7"), QStringLiteral("1.5"));
    EXPECT_TRUE(rig.focusIn("Text7"));
}

TEST(OptionsWindowFields, aRateAboveOneAnsweredYesIsStored)
{
    OptionsRig rig;
    rig.dialogs.answers = {true};
    rig.leave("Text7", "1.5");
    EXPECT_EQ(rig.values().Rate, 1.5);
    EXPECT_EQ(rig.store.values["Rate"], "1.5");
    EXPECT_TRUE(rig.focusIn("Text6"));
}

// The answer comes after the user moved on, or after the window closed: the price is
// the program's, so Yes keeps it either way.
TEST(OptionsWindowFields, aRateAnsweredLater_isStoredOnYes_andNoTakesTheFocusBackToAnOpenWindow)
{
    for (const bool closed : {false, true}) {
        for (const bool yes : {true, false}) {
            SCOPED_TRACE(std::string(closed ? "window closed, " : "window open, ") + (yes ? "Yes" : "No"));
            OptionsRig rig;
            rig.dialogs.holdAnswers = true;
            rig.dialogs.answers = {yes};
            rig.leave("Text7", "2");
            ASSERT_EQ(rig.dialogs.open.size(), 1u);
            EXPECT_EQ(rig.values().Rate, 0.126) << "nothing before the answer";
            if (closed) {
                rig.window().close();
                OptionsRig::settle();
            }

            rig.dialogs.answerOldest();

            EXPECT_EQ(rig.values().Rate, yes ? 2.0 : 0.126);
            EXPECT_EQ(rig.store.values.contains("Rate"), yes);
            if (!closed) {
                EXPECT_EQ(rig.focusIn("Text7"), !yes);
            }
        }
    }
}

TEST(OptionsWindowFields, aNegativeRateIsRefused_withTheFocusBack_asTheStoredOneWouldBe)
{
    OptionsRig rig;
    rig.leave("Text7", "-0.1");
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"The rate cannot be negative. Re-enter the value for \"Rate\"."});
    EXPECT_TRUE(rig.focusIn("Text7"));
    EXPECT_EQ(rig.values().Rate, 0.126);
    EXPECT_TRUE(rig.store.writes.empty());

    rig.leave("Text7", "0");
    EXPECT_EQ(rig.values().Rate, 0.0);
    EXPECT_EQ(rig.store.values["Rate"], "0");
    rig.settings.loadAtStartup();
    EXPECT_EQ(rig.values().Rate, 0.0) << "what the box takes, the next start loads";
}

TEST(OptionsWindowFields, aRateThatIsNoNumberIsRefused_withTheFocusBack)
{
    OptionsRig rig;
    rig.leave("Text7", "cheap");
    EXPECT_EQ(rig.dialogs.messages,
              std::vector<std::string>{"This is not a numeric value. Re-enter the value for \"Rate\". "});
    EXPECT_TRUE(rig.focusIn("Text7"));
    EXPECT_EQ(rig.values().Rate, 0.126);
    EXPECT_TRUE(rig.store.writes.empty());
}

TEST(OptionsWindowFields, theWebHostIsSavedWithoutBlanks_anInvalidOneIsRefused)
{
    OptionsRig rig;
    rig.leave("WebHost", " example.org:8080 ");
    EXPECT_EQ(rig.values().WebHost, "example.org:8080");
    EXPECT_EQ(rig.store.values["WebHost"], "example.org:8080");
    EXPECT_EQ(rig.text("WebHost"), QStringLiteral("example.org:8080"));

    rig.leave("WebHost", "example.org/Monitor");
    EXPECT_EQ(rig.dialogs.messages,
              std::vector<std::string>{
                  "Enter the web server's host name or address, optionally followed by \":\" and a port number."});
    EXPECT_TRUE(rig.focusIn("WebHost"));
    EXPECT_EQ(rig.values().WebHost, "example.org:8080");
}

TEST(OptionsWindowFields, focusReturnedToARefusedBoxDoesNotCheckTheBoxItCameFrom)
{
    OptionsRig rig;
    rig.showActive();
    rig.box("Text1").setText(QString());
    rig.leave("Text3", "abc", "Text1");
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Interval must be a numeric value"})
        << "the empty user name was never left by the user";
    EXPECT_TRUE(rig.focusIn("Text3"));
}

TEST(OptionsWindowFields, focusTakenByAnotherWindowChecksNothing)
{
    OptionsRig rig;
    rig.showActive();
    rig.box("Text3").setFocus(Qt::TabFocusReason);
    rig.box("Text3").setText(QStringLiteral("abc"));
    QFocusEvent toMessageBox(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&rig.box("Text3"), &toMessageBox);
    QApplication::processEvents();
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(OptionsWindowPolarity, testShowsConsumedEnergyOnItsSecondTick_whenOnlyTheAbsoluteCounterGrows)
{
    OptionsRig rig;
    rig.readings.AbsWs1 = 1000;
    rig.readings.PolWs1 = 500;
    rig.button("Command2").click();
    EXPECT_TRUE(rig.Timer1().isActive());
    EXPECT_EQ(rig.Timer1().interval(), 1100);
    for (const char* name : {"Text8", "Text9"}) {
        EXPECT_EQ(rig.text(name), QString()) << name;
        EXPECT_EQ(rig.background(name), QColor(255, 255, 0)) << name;
    }

    rig.tickTimer1();
    EXPECT_EQ(rig.text("Text8"), QString()) << "the first tick takes the baseline";
    EXPECT_EQ(rig.background("Text8"), QColor(255, 255, 0));

    rig.readings.AbsWs1 = 1060;
    rig.tickTimer1();
    EXPECT_EQ(rig.text("Text8"), QStringLiteral("Energy is consumed"));
    EXPECT_EQ(rig.background("Text8"), QColor(0, 0, 255));
    EXPECT_EQ(rig.foreground("Text8"), QColor(255, 255, 255));
}

TEST(OptionsWindowPolarity, testShowsGeneratedEnergy_andAStillCounterOnlyWhitensTheBox)
{
    OptionsRig rig;
    rig.button("Command2").click();
    rig.tickTimer1();
    rig.tickTimer1();
    EXPECT_EQ(rig.text("Text8"), QString());
    EXPECT_EQ(rig.background("Text8"), QColor(255, 255, 255));

    rig.readings.AbsWs1 = 60;
    rig.readings.PolWs1 = 60;
    rig.tickTimer1();
    EXPECT_EQ(rig.text("Text8"), QStringLiteral("Energy is generated"));
    EXPECT_EQ(rig.background("Text8"), QColor(255, 255, 0));
    EXPECT_EQ(rig.foreground("Text8"), QColor(0, 0, 0));
}

TEST(OptionsWindowPolarity, doneStopsTheTest_clearsTheResult_andLeavesTheSecondBoxYellow)
{
    OptionsRig rig;
    rig.button("Command2").click();
    rig.tickTimer1();
    rig.readings.AbsWs1 = 60;
    rig.tickTimer1();

    rig.button("Command4").click();
    EXPECT_FALSE(rig.Timer1().isActive());
    EXPECT_EQ(rig.text("Text8"), QString());
    EXPECT_EQ(rig.background("Text8"), QColor(255, 255, 255));
    EXPECT_EQ(rig.foreground("Text8"), QColor(0, 0, 0));
    EXPECT_EQ(rig.text("Text9"), QString());
    EXPECT_EQ(rig.background("Text9"), QColor(255, 255, 0));
}

TEST(OptionsWindowClosing, doneRefreshesTheWebWindowAndCloses_exitOnlyCloses)
{
    OptionsRig rig;
    rig.owner.show();
    QPointer<OptionsFrm> first = &rig.window();
    rig.button("Command1").click();
    OptionsRig::settle();
    EXPECT_EQ(rig.webRefreshes, 1);
    EXPECT_TRUE(first.isNull());

    rig.owner.show();
    QPointer<OptionsFrm> second = &rig.window();
    rig.window().findChild<QAction*>("MnuExit")->trigger();
    OptionsRig::settle();
    EXPECT_EQ(rig.webRefreshes, 1);
    EXPECT_TRUE(second.isNull());
}

TEST(OptionsWindowClosing, closingStopsARunningPolarityTest_andTheNextUseLoadsAnew)
{
    OptionsRig rig;
    rig.owner.tickWriteToWebServer();
    rig.button("Command2").click();
    QTimer* timer = &rig.Timer1();
    rig.window().close();
    EXPECT_FALSE(timer->isActive());
    OptionsRig::settle();

    rig.settings.set(&SettingsValues::VexUser, "bo");
    EXPECT_FALSE(rig.check("Check4").isChecked()) << "a new window, loaded anew";
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("bo"));
    EXPECT_EQ(rig.text("Text8"), QStringLiteral("Idle"));
}

TEST(OptionsWindowOwnership, optionsShowsOneWindowWithoutBlocking)
{
    OptionsRig rig;
    rig.owner.show();
    OptionsFrm* shown = &rig.window();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(shown->isModal());
    rig.owner.show();
    EXPECT_EQ(&rig.window(), shown);
}

TEST(OptionsWindowOwnership, goingToTheTrayClosesANormalWindow_andKeepsAMaximizedOne)
{
    OptionsRig rig;
    rig.owner.show();
    QPointer<OptionsFrm> normal = &rig.window();
    rig.owner.closeUnlessMaximized();
    OptionsRig::settle();
    EXPECT_TRUE(normal.isNull());

    rig.window().showMaximized();
    QPointer<OptionsFrm> maximized = &rig.window();
    rig.owner.closeUnlessMaximized();
    OptionsRig::settle();
    EXPECT_FALSE(maximized.isNull());
    EXPECT_TRUE(maximized->isVisible());
}

TEST(OptionsWindowOwnership, goingToTheTrayWithoutAWindowLoadsOneAndClosesIt)
{
    OptionsRig rig;
    rig.settings.set(&SettingsValues::StartupComIsOn, true);
    rig.owner.closeUnlessMaximized();
    OptionsRig::settle();
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"StartupComIsOn"}) << "its loading ran";

    rig.window();
    EXPECT_EQ(rig.store.writes.size(), 2u) << "that window is gone: the next use loads a new one";
}

} // namespace

TEST(OptionsWindowMqtt, aWrongEntry_isSaidInTheWindowAndNothingIsSaved_aRightOneIsSavedAndAnnounced)
{
    OptionsRig rig;
    int announced = 0;
    QObject::connect(&rig.owner, &OptionsWindowOwner::mqttSettingsSaved, &rig.owner, [&announced] { ++announced; });
    rig.showActive();
    rig.check("MqttEnable").setChecked(true);
    rig.box("MqttHost").setText("broker.lan");
    rig.box("MqttPort").setText("70000");
    rig.button("MqttApply").click();
    QApplication::processEvents();
    auto& message = *rig.window().findChild<QLabel*>("MqttMessage");
    EXPECT_EQ(message.text(), QStringLiteral("The broker's port must be a whole number from 1 to 65535."));
    EXPECT_TRUE(rig.focusIn("MqttPort"));
    EXPECT_TRUE(rig.store.writes.empty());
    EXPECT_FALSE(rig.values().MqttEnable);
    EXPECT_EQ(announced, 0);

    rig.box("MqttPort").setText("8883");
    rig.box("MqttUser").setText("meter");
    rig.box("MqttPassword").setText("secret");
    rig.button("MqttApply").click();
    EXPECT_EQ(rig.store.values["MqttEnable"], "True");
    EXPECT_EQ(rig.store.values["MqttHost"], "broker.lan");
    EXPECT_EQ(rig.store.values["MqttPort"], "8883");
    EXPECT_EQ(rig.store.values["MqttPassword"], "secret");
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(rig.box("MqttPassword").echoMode(), QLineEdit::Password);
}

TEST(OptionsWindowDashboard, aRefusedPortIsSaidAndNothingSaved_aRightOneSavesTheThreeKeysAndIsAnnounced)
{
    OptionsRig rig;
    int announced = 0;
    QObject::connect(&rig.owner, &OptionsWindowOwner::httpSettingsSaved, &rig.owner, [&announced] { ++announced; });
    rig.showActive();
    EXPECT_EQ(rig.box("HttpPort").text(), QStringLiteral("7730"));
    rig.box("HttpPort").setText("1234");
    rig.button("HttpApply").click();
    QApplication::processEvents();
    EXPECT_EQ(rig.window().findChild<QLabel*>("HttpMessage")->text(),
              QStringLiteral("The dashboard's port must differ from the TCP server's port (1234)."));
    EXPECT_TRUE(rig.focusIn("HttpPort"));
    EXPECT_TRUE(rig.store.writes.empty());
    EXPECT_EQ(announced, 0);

    rig.box("HttpPort").setText(" 8080 ");
    rig.check("HttpLocalOnly").setChecked(false);
    rig.button("HttpApply").click();
    EXPECT_EQ(rig.store.writes, (std::vector<std::string>{"HttpEnable", "HttpPort", "HttpLocalOnly"}));
    EXPECT_EQ(rig.store.values["HttpPort"], "8080");
    EXPECT_EQ(rig.store.values["HttpLocalOnly"], "False");
    EXPECT_EQ(announced, 1);
}

TEST(OptionsWindowInflux, theApiChosenDecidesWhichBoxesCount_aRightTabSavesEveryKeyAndIsAnnounced)
{
    OptionsRig rig;
    int announced = 0;
    QObject::connect(&rig.owner, &OptionsWindowOwner::influxSettingsSaved, &rig.owner, [&announced] { ++announced; });
    rig.showActive();
    auto& api = *rig.window().findChild<QComboBox*>("InfluxApi");
    EXPECT_FALSE(rig.box("InfluxOrg").isEnabled()) << "version 1 is the default";
    rig.check("InfluxEnable").setChecked(true);
    rig.box("InfluxUrl").setText("http://influx.lan:8086");
    api.setCurrentIndex(api.findData(2));
    EXPECT_TRUE(rig.box("InfluxOrg").isEnabled());
    EXPECT_FALSE(rig.box("InfluxDatabase").isEnabled());
    rig.box("InfluxOrg").setText("home");
    rig.button("InfluxApply").click();
    QApplication::processEvents();
    EXPECT_EQ(rig.window().findChild<QLabel*>("InfluxMessage")->text(), QStringLiteral("Enter the InfluxDB bucket."));
    EXPECT_TRUE(rig.focusIn("InfluxBucket"));
    EXPECT_TRUE(rig.store.writes.empty());

    rig.box("InfluxBucket").setText("energy");
    rig.box("InfluxToken").setText("secret");
    EXPECT_EQ(rig.box("InfluxToken").echoMode(), QLineEdit::Password);
    rig.button("InfluxApply").click();
    EXPECT_EQ(rig.store.writes.size(), 10u);
    EXPECT_EQ(rig.store.values["InfluxApi"], "2");
    EXPECT_EQ(rig.store.values["InfluxToken"], "secret");
    EXPECT_EQ(rig.store.values["InfluxResolution"], "packet");
    EXPECT_EQ(announced, 1);
}
