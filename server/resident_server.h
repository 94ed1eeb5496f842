// The resident TCP server: listening, accepting one client at a time, answering its
// command lines from the current readings, and showing the socket's state.
#pragma once

#include "common/number_format.h"
#include "platform/event_loop.h"
#include "platform/observable_status.h"
#include "platform/server_socket.h"
#include "server/command_protocol.h"

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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
    ~ResidentServer() override;
    ResidentServer(const ResidentServer&) = delete;
    ResidentServer& operator=(const ResidentServer&) = delete;

    // The status timer (Timer5, every 800 ms) runs from start-up to shut-down.
    void startStatusTimer() { statusTimer_.start(); }

    // Listens on TCPportNum, only while real-time data is arriving.
    void MnuOpenSocket_Click();
    // Closes now; a second later the status is refreshed (which may listen again).
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
    // whatever real time does. A server that already listens or serves on that port is
    // left as it is, so that leaving the box unchanged keeps the client. The system's
    // reason when it cannot listen there.
    std::optional<std::string> listenAgain();

    // The monitor's port is lost: a client would go on reading the last readings as if
    // they were current, so it is disconnected and nobody is served until real time
    // comes back. A server that was listening or serving then listens again at the
    // status timer's next tick, as it would with StartupListen, unless "Close Socket"
    // closed it meanwhile.
    void stopServingStaleReadings();

    // The monitor has carried out the oldest polarity toggle asked for over TCP: its
    // reply goes to the client that asked, if it is still there.
    void polarityToggleDone();

    // For the trigger push: a client is connected, and the text goes to it as it stands.
    bool clientConnected() const;
    void sendToClient(std::string_view text);

    // The shut-down, once: the status timer stops and nothing listens again; a socket
    // that is not closed is closed at once and given 800 ms before paused is called,
    // from the event loop (never once the server is gone). With nothing to close,
    // paused is called at once.
    void closeAtShutdown(std::function<void()> paused);

    // The server's status box (the main window's Text12) and its status lines.
    const ObservableStatusBox& statusBox() const { return statusBox_; }
    const ObservableStatusList& statusList() const { return statusList_; }

signals:
    // The main window's caption takes the server's state ("TCP Server : Listening").
    void captionChanged(const std::string& caption);
    // A client's SET POL1 or POL2; the reply waits for polarityToggleDone.
    void polarityToggleRequested(int channel);
    // A client's SET TRIGON or TRIGOFF.
    void triggerPushRequested(bool on);

private:
    void TogglePolarity(int channel) override
    {
        toggleAsked_ = true;
        emit polarityToggleRequested(channel);
    }
    void setTriggerPush(bool on) override { emit triggerPushRequested(on); }

    void showState(int socketState);
    // Closes and listens on TCPportNum; the state it ends in.
    int listenOnSetPort();
    void reportListenFailure();
    ListenOn listenOn() const;
    // A client that misbehaves is cut off with a status line and the port listens again
    // for the next one.
    void dropClient(const std::string& line);
    void dropOversizeClient(std::size_t buffered);
    // Sends to the client unless it has left too much unread, in which case it is dropped.
    void sendOrDrop(std::string_view text);

    // Every close goes through here, so that the port served is forgotten with it.
    void closeSocket();
    void cancelCloseSocketPause();

    ServerSocket& tcpserver_;
    EventLoop& events_;
    ServerSources sources_;
    CommandProtocol protocol_;
    ObservableStatusBox statusBox_; // Text12
    ObservableStatusList statusList_;
    QTimer statusTimer_; // Timer5
    // Counts accepted clients, so that a reply held while its client left and another
    // came (a polarity toggle waits for the monitor) is not sent to the newcomer.
    int accepted_ = 0;
    // The replies to polarity toggles still with the monitor, oldest first, each with the
    // client that asked.
    struct HeldReply {
        int asker;
        std::string reply;
    };
    std::deque<HeldReply> heldReplies_;
    bool toggleAsked_ = false;
    // Status timer ticks since the connected client last sent a command or was sent a line.
    int idleTicks_ = 0;
    // The port whose listen failure is already in the status list: real time asks
    // for the server many times in a row and one line says it all.
    std::optional<int> reportedFailurePort_;
    // The port of the last listen that succeeded, until the socket is closed.
    std::optional<int> servingPort_;
    // The port loss closed a server that was in use: it listens again with real time.
    bool resumeWithRealTime_ = false;
    // The status refresh a second after "Close Socket", and the shut-down's pause.
    std::optional<EventLoop::TimerId> closeSocketPause_;
    std::optional<EventLoop::TimerId> shutdownPause_;
    // After the shut-down nothing listens again.
    bool shutDown_ = false;
};
