// The options window inside the program: the "Options" menu, minimizing the main
// window, the start-up option "Write to Web Server", and "Done" refreshing the
// web-posting window.
#include "program_rig.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QWidget* optionsFrm()
{
    return ProgramRig::topLevel("OptionsFrm");
}

TEST(OptionsInProgram, optionsMenu_showsOneWindowWithoutBlocking)
{
    ProgramRig rig;
    rig.program.Form_Load();
    EXPECT_EQ(optionsFrm(), nullptr);

    rig.window.menuAction("MnuOptions").trigger();
    QWidget* options = optionsFrm();
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isVisible());
    EXPECT_FALSE(options->isModal());

    rig.window.menuAction("MnuOptions").trigger();
    EXPECT_EQ(optionsFrm(), options);
}

TEST(OptionsInProgram, minimizingTheMainWindow_closesTheOptionsWindow_unlessItIsMaximized)
{
    ProgramRig rig;
    rig.program.Form_Load();
    rig.window.menuAction("MnuOptions").trigger();
    rig.minimize();
    ProgramRig::settle();
    EXPECT_EQ(optionsFrm(), nullptr);

    rig.tray.doubleClick();
    rig.window.menuAction("MnuOptions").trigger();
    optionsFrm()->showMaximized();
    rig.minimize();
    ProgramRig::settle();
    ASSERT_NE(optionsFrm(), nullptr);
    EXPECT_TRUE(optionsFrm()->isVisible());
}

TEST(OptionsInProgram, minimizingWithoutAnOptionsWindow_loadsOneAndClosesIt)
{
    ProgramRig rig;
    rig.store.values["StartupListen"] = "True";
    rig.program.Form_Load();
    rig.store.writes.clear();

    rig.minimize();
    ProgramRig::settle();
    EXPECT_EQ(optionsFrm(), nullptr);
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"StartupListen"}) << "its loading ticked Check1";
}

TEST(OptionsInProgram, startupWithWebPostingOn_ticksWriteToWebServerOnAHiddenOptionsWindow)
{
    ProgramRig rig;
    rig.store.values["StartupServerIsOn"] = "True";
    rig.program.Form_Load();

    QWidget* options = optionsFrm();
    ASSERT_NE(options, nullptr);
    EXPECT_FALSE(options->isVisible());
    EXPECT_TRUE(options->findChild<QCheckBox*>("Check4")->isChecked());
    EXPECT_EQ(rig.store.values["StartupServerIsOn"], "True");
    EXPECT_NE(ProgramRig::topLevel("WebFrm"), nullptr);
}

TEST(OptionsInProgram, startupWithWebPostingOff_createsNoOptionsWindow)
{
    ProgramRig rig;
    rig.program.Form_Load();
    EXPECT_EQ(optionsFrm(), nullptr);
}

TEST(OptionsInProgram, done_showsTheNewSettingsInTheWebPostingWindow_andCloses)
{
    ProgramRig rig;
    rig.program.Form_Load();
    rig.window.menuAction("MnuOptions").trigger();
    rig.program.companion().settings().set(&SettingsValues::VexThresT, 120);
    rig.program.companion().settings().set(&SettingsValues::VexUser, "al");

    optionsFrm()->findChild<QPushButton*>("Command1")->click();
    ProgramRig::settle();

    EXPECT_EQ(optionsFrm(), nullptr);
    QWidget* web = ProgramRig::topLevel("WebFrm");
    ASSERT_NE(web, nullptr) << "created hidden for the refresh";
    EXPECT_FALSE(web->isVisible());
    EXPECT_EQ(web->findChild<QLineEdit*>("Text2")->text(), QStringLiteral("al"));
    EXPECT_EQ(web->findChild<QLineEdit*>("Text3")->text(), QStringLiteral("120"));
}

} // namespace
