// Switching the monitor's real-time mode on and off, the polarity toggle, and the
// watchdog that tells from the data flow whether real time is running.
#pragma once

class Clock;
class CommandExchange;
class Dialogs;
class EventLoop;
class PortManager;
class SerialPort;
class StatusList;
struct LinkDisplays;
struct LinkHooks;
struct ProgramState;

class RealTimeControl {
public:
    RealTimeControl(SerialPort& port, const Clock& clock, EventLoop& events, ProgramState& state,
                    Dialogs& dialogs, LinkDisplays& displays, LinkHooks& hooks, PortManager& ports,
                    CommandExchange& exchange);

    void MnuStartRTL_Click();
    void MnuStopRTL_Click();

    // Around a monitor setup command: switch real time off (remembering whether it
    // was on) and restore it afterwards; progress goes to the calling window's list.
    bool RealTimeOff(StatusList& callerList);
    void RealTimeRestore(StatusList& callerList);

    void TogglePolarity(int channel);

    // The data-flow watchdog, every second.
    void Timer2_Timer();

    // The automatic start after start-up, every 3 s while enabled; returns whether
    // the timer stays enabled.
    [[nodiscard]] bool Timer3_Timer();

private:
    // Shared start of both handshakes; false when no connection method is chosen.
    bool preamble();

    SerialPort& port_;
    const Clock& clock_;
    EventLoop& events_;
    ProgramState& state_;
    Dialogs& dialogs_;
    LinkDisplays& displays_;
    LinkHooks& hooks_;
    PortManager& ports_;
    CommandExchange& exchange_;
};
