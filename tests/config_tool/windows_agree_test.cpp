// The windows on the shared table of typed values: the COM panel's port boxes, the options
// window's boxes and its tabs take or refuse each value just as kvo7730-config does, with the
// same reason, so the two keep one rule.
#include "program_rig.h"
#include "setting_value_cases.h"

#include "config_tool/setting_names.h"
#include "connection/com_panel.h"
#include "settings/influx_option_fields.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// What a window made of a typed value: the message it showed (empty for none).
struct WindowOutcome {
    std::string message;
};

const char* tabPrefix(EntryRule rule)
{
    switch (rule) {
    case EntryRule::MqttTab: return "Mqtt";
    case EntryRule::DashboardTab: return "Http";
    default: return "Influx";
    }
}

const char* optionsBox(EntryRule rule, Setting key)
{
    switch (rule) {
    case EntryRule::Rate: return "Text7";
    case EntryRule::WriteInterval: return "Text3";
    case EntryRule::PowerChange: return key == Setting::VexThres1 ? "Text4" : "Text5";
    case EntryRule::WebUser: return "Text1";
    default: return "WebHost";
    }
}

QString qText(const char* text)
{
    return QString::fromUtf8(text);
}

struct WindowsRig : ProgramRig {
    WindowsRig()
    {
        store.values = {{"ZigbeeVersion", "8"}};
        program.Form_Load();
    }

    QWidget& options()
    {
        window.menuAction("MnuOptions").trigger();
        QWidget* found = topLevel("OptionsFrm");
        if (!found)
            throw std::logic_error("no options window");
        return *found;
    }

    WindowOutcome comPanel(const SettingName& name, const char* typed)
    {
        window.menuAction("MnuOPEN").trigger();
        COMpanel& panel = *program.comPanel().window();
        auto* rows = panel.findChild<QListWidget*>("List2");
        const int before = rows->count();
        const bool comPort = name.rule == EntryRule::ComPort;
        panel.findChild<QLineEdit*>(comPort ? "Text1" : "Text2")->setText(qText(typed));
        comPort ? panel.Text1_LostFocus() : panel.Text2_LostFocus();
        return {rows->count() > before ? rows->item(rows->count() - 1)->text().toStdString() : std::string()};
    }

    WindowOutcome optionsBoxLeft(const SettingName& name, const char* typed)
    {
        QWidget& frame = options();
        frame.show();
        QApplication::setActiveWindow(&frame);
        QApplication::processEvents();
        auto* box = frame.findChild<QLineEdit*>(optionsBox(name.rule, name.key));
        const std::size_t before = dialogs.messages.size();
        box->setFocus(Qt::TabFocusReason);
        box->setText(qText(typed));
        frame.findChild<QLineEdit*>("Text6")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QApplication::processEvents();
        return {dialogs.messages.size() > before ? dialogs.messages.back() : std::string()};
    }

    WindowOutcome tabApplied(const SettingName& name, const char* typed)
    {
        QWidget& frame = options();
        const QString key = QString::fromLatin1(settingKey(name.key).name.data(),
                                                static_cast<qsizetype>(settingKey(name.key).name.size()));
        QWidget* control = frame.findChild<QWidget*>(key);
        if (auto* box = qobject_cast<QLineEdit*>(control))
            box->setText(qText(typed));
        else if (auto* tick = qobject_cast<QCheckBox*>(control))
            tick->setChecked(typedYesNo(typed).value_or(false));
        else if (auto* choice = qobject_cast<QComboBox*>(control))
            choice->setCurrentIndex(choice->findData(name.key == Setting::InfluxResolution
                                                         ? static_cast<int>(*parseResolution(typed))
                                                         : qText(typed).toInt()));
        else
            throw std::logic_error("no control named " + key.toStdString());
        const QString prefix = QString::fromLatin1(tabPrefix(name.rule));
        frame.findChild<QPushButton*>(prefix + "Apply")->click();
        const QString message = frame.findChild<QLabel*>(prefix + "Message")->text();
        return {message.startsWith("Saved") ? std::string() : message.toStdString()};
    }

    WindowOutcome enter(const SettingName& name, const char* typed)
    {
        switch (name.rule) {
        case EntryRule::ComPort:
        case EntryRule::TcpPort: return comPanel(name, typed);
        case EntryRule::MqttTab:
        case EntryRule::DashboardTab:
        case EntryRule::InfluxTab: return tabApplied(name, typed);
        default: return optionsBoxLeft(name, typed);
        }
    }
};

TEST(WindowsAgree, eachTypedValue_isTakenOrRefusedByTheWindowsAsByTheTool)
{
    for (const SettingValueCase& c : kSettingValueCases) {
        SCOPED_TRACE(std::string(c.name) + " \"" + c.typed + "\"");
        const SettingName& name = *findSettingName(c.name);
        WindowsRig rig;
        // A price above 1 is asked about; the answer keeps it.
        rig.dialogs.answers.push_back(true);
        const WindowOutcome outcome = rig.enter(name, c.typed);
        if (c.reason) {
            EXPECT_EQ(outcome.message, c.reason);
        } else {
            EXPECT_EQ(outcome.message, "");
            EXPECT_EQ(settingKey(name.key).save(rig.program.settings()), c.stored);
        }
        WindowsRig::settle();
    }
}

} // namespace
