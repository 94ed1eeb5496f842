// Switching the monitor's real-time mode on and off, the polarity toggle, and the
// watchdog that tells from the data flow whether real time is running.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class Clock;
class CommandExchange;
class Dialogs;
class EventLoop;
class PortManager;
class SerialPort;
class StatusList;
struct LinkDisplays;
struct LinkSettings;
struct LinkState;
struct StatusLook;

class RealTimeControl : public QObject {
    Q_OBJECT

public:
    RealTimeControl(SerialPort& port, const Clock& clock, EventLoop& events, const LinkSettings& settings,
                    LinkState& state, Dialogs& dialogs, LinkDisplays& displays, PortManager& ports,
                    CommandExchange& exchange);

    void MnuStartRTL_Click();
    void MnuStopRTL_Click();

    // Around a monitor setup command: switch real time off (remembering whether it
    // was on) and restore it afterwards; progress goes to the calling window's list.
    bool RealTimeOff(StatusList& callerList);
    void RealTimeRestore(StatusList& callerList);

    void TogglePolarity(int channel);
    // The same toggle asked for over the network: nobody may be at the screen, so a
    // failure goes to the main list instead of a message box.
    void togglePolarityFromNetwork(int channel);

    // For the setup actions, which find real time still flowing some seconds after
    // RealTimeOff (the flag follows the data): forget that real time was on, or, when
    // the flag is still up, remember it and run the stop again.
    void forgetRealTimeWasOn();
    void stopAgainIfStillOn();
    // A setup action is done with the port before the restore.
    void endCommand();
    // The main window's real-time box, after a settings read.
    void showRealTimeStopped();

    // The data-flow watchdog, every second.
    void Timer2_Timer();
    // The port is gone, so no data can come: real time is off now, not at the
    // watchdog's next ticks.
    void dataStopped();

    // The automatic start after start-up, every 3 s while enabled; returns whether
    // the timer stays enabled.
    [[nodiscard]] bool Timer3_Timer();

    // Where nobody can press "Start Real-Time Data" (the service), the automatic start
    // runs the whole start itself, node discovery included, instead of giving up on a
    // ZigBee node that has not been found yet.
    void setAutomaticStartDiscovers(bool discovers) { automaticStartDiscovers_ = discovers; }

    // The monitor acknowledged the last start and no stop since. Unlike RealTimeOn,
    // which follows the data, it stays up while the start itself holds the packets back.
    bool realTimeWanted() const { return realTimeWanted_; }

signals:
    // No connection method is chosen: the COM panel is to be shown.
    void comPanelWanted();
    void zigbeeNodeSearchWanted(int version);
    // The TCP server's start action (it listens only while real time is on).
    void tcpServerStartWanted();
    // The same, only when the server is closed (neither listening nor connected).
    void tcpServerStartIfClosedWanted();
    void realTimeChanged(bool on);

private:
    void setRealTimeOn(bool on);
    void showDataStopped(bool wasOn);
    void startRealTime();
    void stopRealTime();
    // Shared start of both handshakes; false when no connection method is chosen.
    bool preamble();
    void startTcpServerIfListening();
    // Main Text2 and the web-posting window's Text1.
    void showDataFlow(const std::string& text, StatusLook look);
    // Writes the command in one write; true when the monitor acknowledges it.
    bool commandAcknowledged(std::string_view command);
    // Attention, "TOG", "PLR", then the wait for the first data; false at the first
    // step the monitor does not acknowledge.
    bool runStartHandshake();
    void awaitFirstData();
    // Discards waiting input and writes the toggle; false when a write fails.
    bool sendPolarityToggle(int channel);
    void attemptAutomaticStart();
    // The toggle itself; the text of its failure, if any.
    std::optional<std::string> polarityToggleFailure(int channel);
    // Runs a command exchange with the monitor unless another is in progress (one may
    // yield to events that ask for a second); false when it was refused, after a line.
    bool exclusively(const std::function<void()>& exchange);

    SerialPort& port_;
    const Clock& clock_;
    EventLoop& events_;
    const LinkSettings& settings_;
    LinkState& state_;
    Dialogs& dialogs_;
    LinkDisplays& displays_;
    PortManager& ports_;
    CommandExchange& exchange_;
    bool autoStartBusy_ = false;
    bool realTimeWanted_ = false;
    bool exchanging_ = false;
    bool automaticStartDiscovers_ = false;
};
