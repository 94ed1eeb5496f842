// The options window: start-up switches, price of electricity, web posting
// triggers and account, the trigger push, and the channel 1 polarity test.
#pragma once

#include "common/number_format.h"
#include "settings/lost_focus_watcher.h"
#include "settings/option_fields.h"
#include "settings/options_window_controls.h"
#include "settings/polarity_test.h"

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string_view>

class Dialogs;
class PersistedSettings;
struct ProgramState;

struct OptionsContext {
    ProgramState& state;
    PersistedSettings& settings;
    Dialogs& dialogs;
    NumberSymbols symbols;
    // The web-posting window's RefreshTextBoxes, creating that window hidden if needed.
    std::function<void()> RefreshTextBoxes;
};

class OptionsFrm : public QMainWindow {
    Q_OBJECT

public:
    // Runs the loading steps: every box shows the shared values of this moment.
    explicit OptionsFrm(const OptionsContext& context);

    // Tick or clear a box exactly as a user click would: its handler runs only
    // when the state changes.
    void setTriggerPushBox(bool ticked);
    void tickWriteToWebServer();

signals:
    // The window is closing; it deletes itself afterwards.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void Form_Load();
    void flagBoxClicked(bool checked, bool& flag, std::string_view key);
    void Check5_Click(bool checked);
    void Text1_LostFocus();
    void thresholdLostFocus(QLineEdit& box, const ThresholdField& field, std::int16_t& value);
    void Text7_LostFocus();
    void webHostLostFocus();
    void acceptRate(double value);
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Timer1_Timer();

    OptionsContext context_;
    OptionsWindowControls controls_;
    LostFocusWatcher lostFocus_{this};
    QTimer Timer1_{this};
    PolarityTest polarityTest_;
};
