// What the setup utility's actions use of the monitor link, and where they report.
#pragma once

class Clock;
class CommandExchange;
class Dialogs;
class EventLoop;
class PortManager;
class RealTimeControl;
class SerialPort;
class StatusList;
struct LinkState;

// Built with designated initialisers from the monitor's parts (or a test's).
struct SetupLink {
    SerialPort& port;
    const Clock& clock;
    EventLoop& events;
    Dialogs& dialogs;
    const LinkState& state;
    PortManager& ports;
    CommandExchange& commands; // its GetAckByte is the shared acknowledgement wait
    RealTimeControl& realTime;
    StatusList& List1;         // the setup window's status list
};
