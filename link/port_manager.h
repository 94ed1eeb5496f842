// Opening and closing the monitor's serial port, and the search for usable ports.
#pragma once

#include <QObject>

class Dialogs;
class EventLoop;
class SerialPort;
struct LinkDisplays;
struct LinkSettings;
struct LinkState;

class PortManager : public QObject {
    Q_OBJECT

public:
    PortManager(SerialPort& port, EventLoop& events, const LinkSettings& settings, LinkState& state,
                Dialogs& dialogs, LinkDisplays& displays);

    // (Re)opens ComPortNum with the fixed configuration; on failure asks whether to
    // search for available ports.
    bool OpenComPort();
    void CloseComPort();
    bool isOpen() const;
    // The end of the run: the port closes and no later open or probe opens it again
    // (a handshake unwinding from the end would otherwise reopen it).
    void closeForGood();

    // True when the port can be opened and closed; the port is left closed.
    bool PortAvailable(int port);

    // Fills PortList and PortCount with the numbers of the ports that can be opened.
    void FindPorts();

    // The port closed itself because its device went away: say so and show it closed.
    void takePortLoss();
    // After a loss: opens the port again if its device is back, without asking anything;
    // true when it opened.
    bool reopenLostPort();

    void MnuOpenCom_Click();
    void MnuClosePort_Click();

signals:
    // The user answered Yes to "search for available ports": the COM panel, listing the ports.
    void portSearchWanted();
    void portOpened();
    void portClosed();
    // The port closed itself because its device went away.
    void portLost();
    // The user chose "Close COM Port": the port is to stay closed.
    void closeChosen();

private:
    void closeAndAnnounce();
    // The system's reason for a failed open, as a line in the status list.
    void reportOpenFailure();
    // The port has just opened: show it, tell, and give the monitor its moment.
    void announceOpen();

    SerialPort& port_;
    EventLoop& events_;
    const LinkSettings& settings_;
    LinkState& state_;
    Dialogs& dialogs_;
    LinkDisplays& displays_;
    bool closedForGood_ = false;
};
