// The program without its windows: the settings, the monitor, the TCP server, web
// posting and the MQTT publisher, wired together, with the start-up options and the shut-down that
// the windowed program and the service share.
#pragma once

#include "connection/zigbee_discovery.h"
#include "history/history_store.h"
#include "monitor/monitor.h"
#include "mqtt/mqtt_publisher.h"
#include "server/resident_server.h"
#include "settings/persisted_settings.h"
#include "web/web_posting_controller.h"

#include <QObject>
#include <QTimer>

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

    // The start-up options "open the port" and "start real time". False when the
    // run ended meanwhile (the open may wait, and a termination request may come).
    bool openPortAtStartup();
    void armRealTimeAtStartup();

    // The shut-down: the port closed, the TCP server closed (with its pause), the
    // broker told "offline", every
    // setting and counter saved, every wait in progress released. Runs once; false
    // when the run had already ended.
    bool end();
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
    ZigbeeDiscovery& zigbeeDiscovery() { return zigbeeDiscovery_; }
    ResidentServer& server() { return server_; }
    WebPostingController& webPosting() { return webPosting_; }
    MqttPublisher& mqtt() { return mqtt_; }
    HistoryStore& history() { return history_; }

private:
    void connectParts();
    void periodicSaveTick();

    EventLoop& events_;
    PersistedSettings settings_;
    Monitor monitor_;
    ZigbeeDiscovery zigbeeDiscovery_;
    ResidentServer server_;
    WebPostingController webPosting_;
    MqttPublisher mqtt_;
    HistoryStore history_;
    QString historyFile_;
    PeriodicSave periodicSave_;
    QTimer periodicSaveTimer_; // Timer4
    bool ended_ = false;
};
