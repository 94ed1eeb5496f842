// Directs a ZigBee radio dongle on the COM port to the monitor's radio node: "+++"
// for the dongle's command mode, then "ATDNE1" or "ATDNE2", answered "OK" or "ERROR".
#pragma once

#include "monitor/monitor.h"

#include <QObject>

class StatusList;

class ZigbeeDiscovery : public QObject {
    Q_OBJECT

public:
    enum class Outcome { PortNotOpened, NoAnswerToCommandMode, NoAnswerToDiscover, Refused, Discovered };

    ZigbeeDiscovery(const MonitorPlatform& platform, Monitor& monitor, QObject* parent = nullptr);

    // The panel's "Find E1" and "Find E2": progress in the panel's list, no flag set.
    Outcome FindZigbeeMonitor(int Zversion, StatusList& panelList);
    // Before real time starts or stops: progress in the main list; success sets ZigbeeFound.
    void FindZigbeeNode(int Zversion);

private:
    Outcome discover(int Zversion, StatusList& list);
    // Reads the dongle's reply until two adjacent characters make "OK" or "ER", or
    // the deadline passes; previous carries over from one reply to the next.
    enum class Reply { Ok, Error, None };
    Reply awaitReply(char& previous);

    SerialPort& port_;
    const Clock& clock_;
    EventLoop& events_;
    Dialogs& dialogs_;
    Monitor& monitor_;
};
