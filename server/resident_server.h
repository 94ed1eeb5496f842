// The resident TCP server: listening, accepting one client at a time, answering its
// command lines from the current readings, and showing the socket's state.
#pragma once

#include "common/number_format.h"
#include "platform/observable_status.h"
#include "platform/server_socket.h"
#include "server/command_protocol.h"

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class EventLoop;
struct LinkState;
struct LiveReadings;
struct SettingsValues;

// What the server reads: its port and start-up switch, whether real time is on,
// and the readings it serves.
struct ServerSources {
    const SettingsValues& settings;
    const LinkState& link;
    const LiveReadings& readings;
};

class ResidentServer : public QObject, private SetCommandTarget {
    Q_OBJECT

public:
    // Unfinished text a client may leave buffered; a client that sends more without
    // ending a line is dropped.
    static constexpr std::size_t kMaxPendingBytes = 64 * 1024;
    // Replies and pushed lines a client may leave unread; a client that leaves more
    // is dropped, so that one that never reads cannot make the program grow.
    static constexpr std::size_t kMaxUnsentBytes = 1024 * 1024;
    // Status timer ticks (five minutes) after which a client that has neither sent a
    // command nor been sent a line gives way to a newcomer.
    static constexpr int kIdleTicksBeforeReplace = 5 * 60 * 1000 / 800;

    ResidentServer(ServerSocket& tcpserver, EventLoop& events, const ServerSources& sources, NumberSymbols symbols);

    // The status timer (Timer5, every 800 ms) runs from start-up to shut-down.
    void startStatusTimer() { statusTimer_.start(); }

    // Listens on TCPportNum, only while real-time data is arriving.
    void MnuOpenSocket_Click();
    // Closes, waits a second, then refreshes the status (which may listen again).
    void MnuCloseSocket_Click();
    void tcpserver_ConnectionRequest(int requestId);
    void tcpserver_DataArrival();
    void Timer5_Timer();

    // The start that real time asks for: a listening or connected server is left as
    // it is, anything else listens again.
    void listenUnlessServing();
    // The start that the watchdog asks for when data flows again: only a closed server listens.
    void listenIfClosed();
    bool isClosed() const;
    // The COM panel's TCP port box: closes the socket and listens on TCPportNum again,
    // whatever real time does. The system's reason when it cannot listen there.
    std::optional<std::string> listenAgain();

    // The monitor's port is lost: a client would go on reading the last readings as if
    // they were current, so it is disconnected and nobody is served until real time
    // comes back (which starts the server again).
    void stopServingStaleReadings();

    // For the trigger push: a client is connected, and the text goes to it as it stands.
    bool clientConnected() const;
    void sendToClient(std::string_view text);

    // The shut-down: the status timer stops (it would listen again), and a socket
    // that is not closed is closed, then given 800 ms.
    void closeAtShutdown();

    // The server's status box (the main window's Text12) and its status lines.
    const ObservableStatusBox& statusBox() const { return statusBox_; }
    const ObservableStatusList& statusList() const { return statusList_; }

signals:
    // The main window's caption takes the server's state ("TCP Server : Listening").
    void captionChanged(const std::string& caption);
    // A client's SET POL1 or POL2; the reply waits for the toggle to finish.
    void polarityToggleRequested(int channel);
    // A client's SET TRIGON or TRIGOFF.
    void triggerPushRequested(bool on);

private:
    void TogglePolarity(int channel) override { emit polarityToggleRequested(channel); }
    void setTriggerPush(bool on) override { emit triggerPushRequested(on); }

    void showState(int socketState);
    void reportListenFailure();
    ListenOn listenOn() const;
    void dropOversizeClient(std::size_t buffered);
    // Sends to the client unless it has left too much unread, in which case it is dropped.
    void sendOrDrop(std::string_view text);

    ServerSocket& tcpserver_;
    EventLoop& events_;
    ServerSources sources_;
    CommandProtocol protocol_;
    ObservableStatusBox statusBox_; // Text12
    ObservableStatusList statusList_;
    QTimer statusTimer_; // Timer5
    // Counts accepted clients, so that a reply computed while its client left and
    // another came (a polarity toggle yields) is not sent to the newcomer.
    int accepted_ = 0;
    // Status timer ticks since the connected client last sent a command or was sent a line.
    int idleTicks_ = 0;
    // The port whose listen failure is already in the status list: real time asks
    // for the server many times in a row and one line says it all.
    std::optional<int> reportedFailurePort_;
};
