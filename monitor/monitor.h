// One KVO-7730 on one serial port, without windows: the link to it, its exchange queue,
// its live readings and link state, and the link's timers. Every conversation with the
// monitor is a job on its queue; what happens is announced by signals, and windows, the
// TCP server, web posting and the service subscribe.
#pragma once

#include "link/command_exchange.h"
#include "link/exchange_queue.h"
#include "link/exchange_waits.h"
#include "link/link_displays.h"
#include "link/link_state.h"
#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "link/polarity_toggle.h"
#include "link/port_manager.h"
#include "link/real_time_control.h"
#include "link/zigbee_discovery.h"
#include "platform/observable_status.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

class Clock;
class Dialogs;
class EventLoop;
class SerialPort;
struct LinkSettings;

// What the monitor needs from the outside world.
struct MonitorPlatform {
    SerialPort& port;
    const Clock& clock;
    EventLoop& events;
    Dialogs& dialogs;
};

class Monitor : public QObject {
    Q_OBJECT

public:
    // While the port is lost, how often its reopening is tried.
    static constexpr int kReconnectMs = 5000;

    Monitor(const MonitorPlatform& platform, const LinkSettings& settings, QObject* parent = nullptr);

    const LiveReadings& readings() const { return decoder_.readings(); }
    const LinkState& state() const { return state_; }
    // Packets decoded since the start of the run, and those the seconds counter shows
    // were sent between the first and the last of them but never decoded.
    std::int64_t packetsDecoded() const { return packetsDecoded_; }
    std::int64_t packetsMissed() const { return packetsMissed_; }

    // The counters kept from run to run.
    void restoreCounters(const StoredCounters& counters) { decoder_.restore(counters); }
    StoredCounters counters() const { return decoder_.stored(); }

    // The start of a run: the port closed and shown so, and the watchdog counting
    // from the stopped state.
    void begin();
    // The automatic real-time start: every 3 s until the port is open, then once.
    void armAutomaticStart();
    // The end of a run: waiting jobs dropped, the running one cancelled at its wait,
    // the timers stopped, the port closed for good.
    void end();

    // The jobs, each queued behind whatever runs. A second start or stop while one is
    // waiting or running is refused with a status line.
    void startRealTime();
    void stopRealTime();
    // "Open COM Port"; opened is called with the outcome unless the observer is gone.
    void openPort(QObject* observer = nullptr, std::function<void(bool opened)> opened = {});
    // The polarity toggle: a failure in a box, or, asked over the network where nobody
    // may be at the screen, in the status list.
    void togglePolarity(int channel);
    // done is called once the toggle has been carried out (not when the end cancels it).
    void togglePolarityFromNetwork(int channel, std::function<void()> done);
    // The port search; found is called with the result unless the observer is gone.
    void findPorts(QObject* observer, std::function<void(const PortSearchResult&)> found);
    // The ZigBee node search asked for by hand; its progress goes to discoveryList().
    void findZigbeeNode(int version);
    // Runs any other job (the monitor's set-up) in turn.
    ExchangeQueue& exchanges() { return queue_; }
    bool busy() const { return queue_.busy(); }

    // "Close COM Port": at once, whatever runs (a running job finds the port closed).
    void closePort() { ports_.closeChosenByUser(); }
    bool portOpen() const { return ports_.isOpen(); }

    // The connection method changed: a node found for the old one says nothing now.
    void connectionMethodChanged() { state_.ZigbeeFound = false; }

    // What the set-up jobs use of the link.
    ExchangeWaits& waits() { return waits_; }
    CommandExchange& commands() { return commands_; }
    RealTimeControl& realTime() { return realTime_; }
    PolarityToggle& polarity() { return polarity_; }
    PortManager& ports() { return ports_; }
    SerialPort& port() { return port_; }
    Dialogs& dialogs() { return dialogs_; }
    const Clock& clock() const { return clock_; }

    // The pre-reset offsets to 0; they reach the settings store with the next save.
    void clearPreResetValues() { decoder_.clearPreResetValues(); }

    // The link's status list and the main window's boxes, for whoever shows them.
    const ObservableStatusList& statusList() const { return statusList_; }
    const ObservableStatusList& discoveryList() const { return discoveryList_; }
    const ObservableStatusBox& portBox() const { return portBox_; }
    const ObservableStatusBox& realTimeBox() const { return realTimeBox_; }
    StatusList& List1() { return statusList_; }

    void setAutomaticStartDiscovers(bool discovers) { realTime_.setAutomaticStartDiscovers(discovers); }

signals:
    void readingsDecoded(const LiveReadings& readings);
    // The diagnostic copies of the power factors of the packet just decoded.
    void powerFactorsDecoded(const PowerFactorTexts& texts);
    void portOpened();
    void portClosed();
    void portLost();
    void realTimeChanged(bool on);
    // A start saw the data flow, or a stop or "Close COM Port" ended it.
    void realTimeSwitched(bool on);
    // "Close COM Port" was chosen; wasOpen tells whether it closed the port.
    void portCloseChosen(bool wasOpen);
    // A job began or the last one ended.
    void busyChanged(bool busy);
    // No connection method is chosen: the COM panel is to be shown.
    void comPanelWanted();
    // The user asked for a search of the available ports.
    void portSearchWanted();
    void tcpServerStartWanted();
    void tcpServerStartIfClosedWanted();

private:
    void connectSignals();
    void takePortLoss();
    void automaticStartTick();
    void holdInputWhileBusy(bool busy);
    Task<> stopJob();
    Task<> openPortJob(QPointer<QObject> observer, std::function<void(bool)> opened);
    Task<> togglePolarityJob(int channel, bool fromNetwork, std::function<void()> done);
    Task<> reconnectJob();
    Task<> findZigbeeNodeJob(int version);

    SerialPort& port_;
    const Clock& clock_;
    Dialogs& dialogs_;
    LinkState state_;
    ObservableStatusList statusList_;
    ObservableStatusList discoveryList_;
    ObservableStatusBox portBox_;
    ObservableStatusBox realTimeBox_;
    LinkDisplays displays_{.List1 = statusList_,
                           .mainPortBox = portBox_,
                           .mainRealTimeBox = realTimeBox_};
    ExchangeWaits waits_;
    ExchangeQueue queue_;
    PortManager ports_;
    CommandExchange commands_;
    ZigbeeDiscovery discovery_;
    RealTimeControl realTime_;
    PolarityToggle polarity_;
    PacketDecoder decoder_;
    PacketReceiver receiver_;
    std::int64_t packetsDecoded_ = 0;
    std::int64_t packetsMissed_ = 0;
    QTimer watchdog_;       // Timer2
    QTimer automaticStart_; // Timer3
    QTimer reconnect_;      // runs only while the port is lost
    // Real time was on when the port was lost, so it is started again when the port is back.
    bool realTimeBeforeLoss_ = false;
};
