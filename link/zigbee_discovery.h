// Directs a ZigBee radio dongle on the COM port to the monitor's radio node: "+++"
// for the dongle's command mode, then "ATDNE1" or "ATDNE2", answered "OK" or "ERROR".
#pragma once

#include "common/task.h"

class Dialogs;
class ExchangeWaits;
class PortManager;
class SerialPort;
class StatusList;

class ZigbeeDiscovery {
public:
    enum class Outcome { PortNotOpened, NoAnswerToCommandMode, NoAnswerToDiscover, Refused, Discovered };

    ZigbeeDiscovery(SerialPort& port, ExchangeWaits& waits, Dialogs& dialogs, PortManager& ports);

    // The AT exchange for node E1 or E2 (version 1 or 2), its progress in the list.
    Task<Outcome> findNode(int version, StatusList& list);

private:
    // Reads the dongle's reply until two adjacent characters make "OK" or "ER", or
    // the deadline passes; previous carries over from one reply to the next.
    enum class Reply { Ok, Error, None };
    Task<Reply> awaitReply(char& previous);

    SerialPort& port_;
    ExchangeWaits& waits_;
    Dialogs& dialogs_;
    PortManager& ports_;
};
