// Keeps the options window from its first use until it closes, and creates it
// again, loading anew, whenever another part of the program needs it.
#pragma once

#include "settings/options_window.h"

#include <QPointer>

class OptionsWindowOwner : public QObject {
    Q_OBJECT

public:
    explicit OptionsWindowOwner(OptionsContext context);
    ~OptionsWindowOwner();
    OptionsWindowOwner(const OptionsWindowOwner&) = delete;
    OptionsWindowOwner& operator=(const OptionsWindowOwner&) = delete;

    // The window; created hidden when it does not exist.
    OptionsFrm& window();

    // The main window's "Options": shown without blocking.
    void show();

    // The main window goes to the notification area. The window is created first
    // when it does not exist, so that its state can be read.
    void closeUnlessMaximized();

    // The TCP commands SET TRIGON and SET TRIGOFF.
    void setTriggerPushBox(bool ticked);

    // Start-up with web posting on.
    void tickWriteToWebServer();

signals:
    // The window's "Done" was clicked.
    void webPostingRefreshWanted();
    // The MQTT tab's settings were applied and saved.
    void mqttSettingsSaved();
    // The dashboard tab's settings were applied and saved.
    void httpSettingsSaved();
    // The InfluxDB tab's settings were applied and saved.
    void influxSettingsSaved();

private:
    OptionsContext context_;
    QPointer<OptionsFrm> window_;
};
