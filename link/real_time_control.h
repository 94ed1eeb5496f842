// Switching the monitor's real-time mode on and off, and the watchdog that tells from
// the data flow whether real time is running. The switches are steps of exchange jobs;
// the watchdog is a tick of its own.
#pragma once

#include "common/task.h"
#include "link/link_state.h"

#include <QObject>
#include <optional>
#include <string>

class Clock;
class CommandExchange;
class Dialogs;
class ExchangeWaits;
class PortManager;
class SerialPort;
class StatusList;
class ZigbeeDiscovery;
struct LinkDisplays;
struct LinkSettings;
struct StatusLook;

class RealTimeControl : public QObject {
    Q_OBJECT

public:
    // Everything the switches use; built with designated initialisers.
    struct Parts {
        SerialPort& port;
        const Clock& clock;
        ExchangeWaits& waits;
        Dialogs& dialogs;
        LinkDisplays& displays;
        PortManager& ports;
        CommandExchange& commands;
        ZigbeeDiscovery& discovery;
    };

    RealTimeControl(const Parts& parts, const LinkSettings& settings, LinkState& state);

    // "Start Real-Time Data": the handshake and the wait for the first data; a failure
    // ends with the start-failure box.
    Task<> start();
    // "Stop Real-Time Data"; true when the monitor acknowledged the stop.
    Task<bool> stop();

    // Around a monitor setup command: real time switched off (nothing when the port
    // cannot be had, else whether it was on), and on again afterwards when it was.
    Task<std::optional<bool>> switchOffForSetup(StatusList& callerList);
    Task<> restoreAfterSetup(bool wasOn, StatusList& callerList);
    // A setup action that finds real time still flowing stops it; true when it did.
    Task<bool> stopIfStillOn();

    // The automatic start after start-up: the start, unless a ZigBee node is needed
    // and not found (then a box says so).
    Task<> automaticStart();
    // Where nobody can press "Start Real-Time Data" (the service), the automatic start
    // runs the whole start itself, node discovery included.
    void setAutomaticStartDiscovers(bool discovers) { automaticStartDiscovers_ = discovers; }

    // The data-flow watchdog, every second.
    void watchdogTick();
    // The port is gone, so no data can come: real time is off now, not at the
    // watchdog's next ticks.
    void dataStopped();

    // The main window's real-time box, after a settings read.
    void showRealTimeStopped();

    // The monitor acknowledged the last start and no stop since. Unlike RealTimeOn,
    // which follows the data, it stays up while the start itself holds the packets back.
    bool realTimeWanted() const { return state_.lastRequest == RealTimeRequest::Started; }
    // A successful stop keeps the packet receiver away until the next sequence ends.
    bool inputHeldAfterStop() const { return state_.lastRequest == RealTimeRequest::Stopped; }
    void releaseInput() { state_.releaseInputHold(); }

signals:
    // No connection method is chosen: the COM panel is to be shown.
    void comPanelWanted();
    // The TCP server's start action (it listens only while real time is on).
    void tcpServerStartWanted();
    // The same, only when the server is closed (neither listening nor connected).
    void tcpServerStartIfClosedWanted();
    void realTimeChanged(bool on);
    // A start saw the data flow, or a stop ended it (the web-posting window shows it).
    void realTimeSwitched(bool on);

private:
    void setRealTimeOn(bool on);
    void showDataStopped(bool wasOn);
    // Shared start of both handshakes; false when no connection method is chosen.
    Task<bool> preamble();
    void startTcpServerIfListening();
    // Main Text2, and announced for the web-posting window.
    void showDataFlow(const std::string& text, StatusLook look);
    // Attention, "TOG", "PLR", then the wait for the first data; false at the first
    // step the monitor does not acknowledge.
    Task<bool> startHandshake();
    Task<> awaitFirstData();

    Parts parts_;
    const LinkSettings& settings_;
    LinkState& state_;
    bool automaticStartDiscovers_ = false;
};
