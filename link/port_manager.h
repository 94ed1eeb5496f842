// Opening and closing the monitor's serial port, and the search for usable ports.
#pragma once

#include "common/task.h"

#include <QObject>
#include <vector>

class Dialogs;
class ExchangeWaits;
class SerialPort;
struct LinkDisplays;
struct LinkSettings;

// The ports that can be opened, lowest first.
struct PortSearchResult {
    // At most this many are listed; a further usable port is a search failure.
    static constexpr std::size_t kMostPorts = 35;
    std::vector<int> ports;
    bool listFull = false;
};

class PortManager : public QObject {
    Q_OBJECT

public:
    PortManager(SerialPort& port, ExchangeWaits& waits, const LinkSettings& settings, Dialogs& dialogs,
                LinkDisplays& displays);

    // (Re)opens ComPortNum with the fixed configuration and gives the monitor its
    // moment; on failure asks whether to search for available ports.
    Task<bool> open();
    // Closes the port if open and shows it closed.
    void close();
    bool isOpen() const;
    // The end of the run: the port closes and no later open or probe opens it again.
    void closeForGood();

    // Probes every port number, one per turn of the event loop; the port is left closed.
    Task<PortSearchResult> findPorts();

    // The port closed itself because its device went away: say so and show it closed.
    void takePortLoss();
    // After a loss: opens the port again if its device is back, without asking anything;
    // true when it opened.
    Task<bool> reopenLostPort();

    // "Close COM Port": the port closed and shown so.
    void closeChosenByUser();

signals:
    // The user answered Yes to "search for available ports": the COM panel, listing the ports.
    void portSearchWanted();
    void portOpened();
    void portClosed();
    // The port closed itself because its device went away.
    void portLost();
    // The user chose "Close COM Port": the port is to stay closed. wasOpen tells whether
    // this closed it.
    void closeChosen(bool wasOpen);

private:
    void closeAndAnnounce();
    // True when the port can be opened and closed; the port is left closed.
    bool portAvailable(int number);
    // The system's reason for a failed open, as a line in the status list.
    void reportOpenFailure();
    // The port has just opened: show it, tell, and give the monitor its moment.
    Task<> announceOpen();

    SerialPort& port_;
    ExchangeWaits& waits_;
    const LinkSettings& settings_;
    Dialogs& dialogs_;
    LinkDisplays& displays_;
    bool closedForGood_ = false;
};
