// The program without its windows: the settings, the monitor, the TCP server, web
// posting, the MQTT publisher, the dashboard's HTTP server and the InfluxDB uploader,
// wired together, with the start-up options and the shut-down that the windowed program
// and the service share.
#pragma once

#include "history/history_store.h"
#include "http/dashboard_server.h"
#include "monitor/monitor.h"
#include "monitor_setup/monitor_setup.h"
#include "mqtt/mqtt_publisher.h"
#include "server/resident_server.h"
#include "settings/persisted_settings.h"
#include "upload/influx_uploader.h"
#include "web/web_posting_controller.h"

#include <QObject>
#include <QTimer>
#include <functional>

class Clock;
class Dialogs;
class EventLoop;
class SerialPort;
class ServerSocket;
class SettingsStore;

// What the program needs from the outside world, windows apart.
struct CompanionPlatform {
    const Clock& clock;
    EventLoop& events;
    SerialPort& port;
    SettingsStore& store;
    Dialogs& dialogs;
    ServerSocket& tcpserver;
    // The readings history's file; none is kept when empty.
    QString historyFile = {};
};

class Companion : public QObject {
    Q_OBJECT

public:
    explicit Companion(const CompanionPlatform& platform, QObject* parent = nullptr);

    // Every setting, in the start-up order; the counters go to the monitor.
    void loadSettings();

    // The start of a run, after the settings are loaded: the port closed, the
    // watchdog, the periodic save and the server's status timer running.
    void begin();

    // The start-up options "open the port" (queued on the monitor) and "start real time".
    void openPortAtStartup();
    void armRealTimeAtStartup();

    // The shut-down, once: the monitor's jobs dropped or cancelled and its port closed,
    // the TCP server closed; after the server's pause, the broker told "offline" and
    // every setting and counter saved, then saved is called. False when the end had
    // already begun.
    bool end(std::function<void()> saved);
    // The event loop is going away: what is left of the end happens now, saved included.
    void endNow();
    // The end has begun.
    bool ending() const { return ending_; }
    // Everything has been saved for the last time.
    bool ended() const { return ended_; }

    // Saves every setting and counter without ending (the desktop's session save).
    void saveSettings();

    // The TCP commands SET TRIGON and SET TRIGOFF where no options window takes them:
    // the option changes and is saved only when it differs.
    void setTriggerPush(bool on);

    PersistedSettings& settings() { return settings_; }
    const PersistedSettings& settings() const { return settings_; }
    Monitor& monitor() { return monitor_; }
    const Monitor& monitor() const { return monitor_; }
    MonitorSetup& monitorSetup() { return monitorSetup_; }
    ResidentServer& server() { return server_; }
    WebPostingController& webPosting() { return webPosting_; }
    MqttPublisher& mqtt() { return mqtt_; }
    HistoryStore& history() { return history_; }
    DashboardServer& dashboard() { return dashboard_; }
    InfluxUploader& influx() { return influx_; }

private:
    void connectParts();
    void periodicSaveTick();
    // The first steps of the end: nothing starts or talks to the monitor any more.
    bool beginEnd();
    // The last step: true when it ran now.
    bool finishEnd();

    PersistedSettings settings_;
    Monitor monitor_;
    MonitorSetup monitorSetup_;
    ResidentServer server_;
    WebPostingController webPosting_;
    MqttPublisher mqtt_;
    HistoryStore history_;
    DashboardServer dashboard_;
    InfluxUploader influx_;
    QString historyFile_;
    PeriodicSave periodicSave_;
    QTimer periodicSaveTimer_; // Timer4
    bool ending_ = false;
    bool ended_ = false;
};
