// One KVO-7730 on one serial port, without windows: the link to it, its live
// readings and link flags, and the link's timers. What happens is announced by
// signals; windows, the TCP server, web posting and the service subscribe.
#pragma once

#include "link/command_exchange.h"
#include "link/link_displays.h"
#include "link/link_state.h"
#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "link/port_manager.h"
#include "link/real_time_control.h"
#include "platform/observable_status.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
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
    // The end of a run: the port closed for good, the timers stopped.
    void end();

    PortManager& ports() { return ports_; }

    // The ZigBee exchange owns the serial input while it runs (CmdInProgress), and
    // its success lets real time start and stop without another discovery.
    void holdSerialInput(bool held) { state_.CmdInProgress = held; }
    void zigbeeNodeFound() { state_.ZigbeeFound = true; }
    RealTimeControl& realTime() { return realTime_; }
    CommandExchange& commands() { return exchange_; }

    // The pre-reset offsets to 0; they reach the settings store with the next save.
    void clearPreResetValues() { decoder_.clearPreResetValues(); }

    // The link's status list and boxes, for whoever shows them.
    const ObservableStatusList& statusList() const { return statusList_; }
    const ObservableStatusBox& portBox() const { return portBox_; }
    const ObservableStatusBox& realTimeBox() const { return realTimeBox_; }
    const ObservableStatusBox& webRealTimeBox() const { return webRealTimeBox_; }
    const ObservableStatusBox& comPanelPortBox() const { return comPanelPortBox_; }
    StatusList& List1() { return statusList_; }

signals:
    void readingsDecoded(const LiveReadings& readings);
    // The diagnostic copies of the power factors of the packet just decoded.
    void powerFactorsDecoded(const PowerFactorTexts& texts);
    void portOpened();
    void portClosed();
    void portLost();
    void realTimeChanged(bool on);
    // No connection method is chosen: the COM panel is to be shown.
    void comPanelWanted();
    // The user asked for a search of the available ports.
    void portSearchWanted();
    void zigbeeNodeSearchWanted(int version);
    void tcpServerStartWanted();
    void tcpServerStartIfClosedWanted();

private:
    void connectSignals();
    void takePortLoss();
    void tryReconnect();

    SerialPort& port_;
    LinkState state_;
    ObservableStatusList statusList_;
    ObservableStatusBox portBox_;
    ObservableStatusBox realTimeBox_;
    ObservableStatusBox webRealTimeBox_;
    ObservableStatusBox comPanelPortBox_;
    LinkDisplays displays_{.List1 = statusList_,
                           .mainPortBox = portBox_,
                           .mainRealTimeBox = realTimeBox_,
                           .webRealTimeBox = webRealTimeBox_,
                           .comPanelPortBox = comPanelPortBox_};
    PortManager ports_;
    CommandExchange exchange_;
    RealTimeControl realTime_;
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
