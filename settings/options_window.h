// The options window: start-up switches, price of electricity, web posting
// triggers and account, the trigger push, the channel 1 polarity test, and MQTT.
#pragma once

#include "common/number_format.h"
#include "settings/lost_focus_watcher.h"
#include "settings/option_fields.h"
#include "settings/options_window_controls.h"
#include "settings/persisted_settings.h"
#include "settings/polarity_test.h"

#include <QMainWindow>
#include <QTimer>
#include <cstdint>

class Dialogs;
struct LiveReadings;

struct OptionsContext {
    PersistedSettings& settings;
    // The polarity test watches the monitor's counters.
    const LiveReadings& readings;
    Dialogs& dialogs;
    NumberSymbols symbols;
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
    // "Done": the web-posting window is to show the triggers and account as they are now.
    void webPostingRefreshWanted();
    // "Apply" of the MQTT tab saved its settings: the publisher is to start anew.
    void mqttSettingsSaved();
    // "Apply" of the dashboard tab saved its settings: the HTTP server is to listen anew.
    void httpSettingsSaved();
    // "Apply" of the InfluxDB tab saved its settings: the uploader is to start anew.
    void influxSettingsSaved();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    using Flag = bool SettingsValues::*;
    using Threshold = std::int16_t SettingsValues::*;

    void connectControls();
    void Form_Load();
    void flagBoxClicked(bool checked, Flag flag, Setting key);
    void Check5_Click(int state);
    void Text1_LostFocus();
    void thresholdLostFocus(QLineEdit& box, const ThresholdField& field, Threshold value);
    void Text7_LostFocus();
    void webHostLostFocus();
    // The price question; the answer may come after the window has closed.
    void askToKeepRate(double value);
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Timer1_Timer();
    void loadMqtt();
    void applyMqtt();
    void loadHttp();
    void applyHttp();
    void loadInflux();
    void showInfluxApi();
    void applyInflux();

    OptionsContext context_;
    OptionsWindowControls controls_;
    LostFocusWatcher lostFocus_{this};
    QTimer Timer1_{this};
    PolarityTest polarityTest_;
};
