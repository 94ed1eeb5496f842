// Opening and closing the monitor's serial port, and the search for usable ports.
#pragma once

class Dialogs;
class EventLoop;
class SerialPort;
struct LinkDisplays;
struct LinkHooks;
struct ProgramState;

class PortManager {
public:
    PortManager(SerialPort& port, EventLoop& events, ProgramState& state, Dialogs& dialogs,
                LinkDisplays& displays, LinkHooks& hooks);

    // (Re)opens ComPortNum with the fixed configuration; on failure asks whether to
    // search for available ports.
    bool OpenComPort();
    void CloseComPort();

    // True when the port can be opened and closed; the port is left closed.
    bool PortAvailable(int port);

    // Fills PortList and PortCount with the numbers of the ports that can be opened.
    void FindPorts();

    // The port closed itself because its device went away: say so and show it closed.
    void portLost();

    void MnuOpenCom_Click();
    void MnuClosePort_Click();

private:
    SerialPort& port_;
    EventLoop& events_;
    ProgramState& state_;
    Dialogs& dialogs_;
    LinkDisplays& displays_;
    LinkHooks& hooks_;
};
