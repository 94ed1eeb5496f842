// The resident TCP server: listening, accepting one client at a time, answering its
// command lines from the current readings, and showing the socket's state.
#pragma once

#include "common/number_format.h"
#include "server/command_protocol.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class EventLoop;
class ServerSocket;
class StatusBox;
class StatusList;
struct ProgramState;

// Where the server shows itself in the main window.
struct ServerDisplays {
    StatusBox& Text12;
    StatusList& List1;
    std::function<void(const std::string&)> setCaption;
};

class ResidentServer {
public:
    // Unfinished text a client may leave buffered; a client that sends more without
    // ending a line is dropped.
    static constexpr std::size_t kMaxPendingBytes = 64 * 1024;

    ResidentServer(ServerSocket& tcpserver, EventLoop& events, ProgramState& state, ServerDisplays displays,
                   NumberSymbols symbols, SetCommandHandlers handlers);

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
    bool isClosed() const;

    // For the trigger push: a client is connected, and the text goes to it as it stands.
    bool clientConnected() const;
    void sendToClient(std::string_view text);

    // The shut-down: a socket that is not closed is closed, then given 800 ms.
    void closeAtShutdown();

private:
    void showState(int socketState);
    void reportListenFailure();
    void dropOversizeClient(std::size_t buffered);

    ServerSocket& tcpserver_;
    EventLoop& events_;
    ProgramState& state_;
    ServerDisplays displays_;
    CommandProtocol protocol_;
    // Counts accepted clients, so that a reply computed while its client left and
    // another came (a polarity toggle yields) is not sent to the newcomer.
    int accepted_ = 0;
    // The port whose listen failure is already in the status list: real time asks
    // for the server many times in a row and one line says it all.
    std::optional<int> reportedFailurePort_;
};
