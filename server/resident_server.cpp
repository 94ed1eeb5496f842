// The resident TCP server's handlers: listen, accept, answer, close and the status timer.
#include "server/resident_server.h"

#include "link/program_state.h"
#include "platform/event_loop.h"
#include "platform/server_socket.h"
#include "platform/status_box.h"
#include "platform/status_list.h"

namespace {

constexpr int kCloseSocketPauseMs = 1000;
constexpr int kShutdownPauseMs = 800;

} // namespace

ResidentServer::ResidentServer(ServerSocket& tcpserver, EventLoop& events, ProgramState& state,
                               ServerDisplays displays, NumberSymbols symbols, SetCommandHandlers handlers)
    : tcpserver_(tcpserver),
      events_(events),
      state_(state),
      displays_(std::move(displays)),
      protocol_(state.readings, symbols, std::move(handlers))
{
    tcpserver_.setConnectionRequestHandler([this](int requestId) { tcpserver_ConnectionRequest(requestId); });
    tcpserver_.setDataArrivalHandler([this] { tcpserver_DataArrival(); });
}

void ResidentServer::MnuOpenSocket_Click()
{
    if (!state_.RealTimeOn)
        return;
    tcpserver_.close();
    tcpserver_.listen(state_.TCPportNum);
    const int now = tcpserver_.state();
    if (now == socket_state::Listening) {
        reportedFailurePort_.reset();
        displays_.setCaption("TCP Server : Listening");
        showState(now);
    } else if (now == socket_state::Error) {
        reportListenFailure();
    }
}

void ResidentServer::reportListenFailure()
{
    if (reportedFailurePort_ == state_.TCPportNum)
        return;
    reportedFailurePort_ = state_.TCPportNum;
    displays_.List1.addLine("The TCP server cannot listen on port " + std::to_string(state_.TCPportNum) + ": "
                            + tcpserver_.errorText() + ".");
}

void ResidentServer::MnuCloseSocket_Click()
{
    tcpserver_.close();
    events_.Dly(kCloseSocketPauseMs);
    Timer5_Timer();
}

void ResidentServer::tcpserver_ConnectionRequest(int requestId)
{
    if (tcpserver_.state() != socket_state::Closed)
        tcpserver_.close();
    tcpserver_.accept(requestId);
    ++accepted_;
}

void ResidentServer::tcpserver_DataArrival()
{
    const std::string buffered = tcpserver_.peekData();
    if (!endsWithCommand(buffered)) {
        if (buffered.size() > kMaxPendingBytes)
            dropOversizeClient(buffered.size());
        return;
    }
    if (tcpserver_.state() != socket_state::Connected) {
        tcpserver_.getData();
        displays_.setCaption("TCP Server : Chatting with ");
        // A closing socket may refuse it; there is nobody left to tell.
        tcpserver_.sendData("myname");
        return;
    }
    const int asker = accepted_;
    const std::string reply = protocol_.reply(tcpserver_.getData());
    // A client that left while a SET command ran gets nothing, and neither does the
    // next one; a refused send harms nothing either.
    if (asker == accepted_)
        tcpserver_.sendData(reply);
}

void ResidentServer::dropOversizeClient(std::size_t buffered)
{
    tcpserver_.close();
    displays_.List1.addLine("A TCP client sent " + std::to_string(buffered)
                            + " bytes without ending a command and was disconnected.");
}

void ResidentServer::Timer5_Timer()
{
    if (tcpserver_.state() == socket_state::PeerClosed)
        tcpserver_.close();
    const int now = tcpserver_.state();
    showState(now);
    if (state_.StartupListen && now == socket_state::Closed)
        MnuOpenSocket_Click();
}

void ResidentServer::showState(int socketState)
{
    switch (socketState) {
    case socket_state::Closed:
        displays_.Text12.show("TCP Server Closed", status_look::Stopped);
        break;
    case socket_state::Listening:
        displays_.Text12.show("TCP Server Listening", status_look::Listening);
        break;
    case socket_state::Connected:
        displays_.Text12.show("TCP Server Connected", status_look::Good);
        break;
    case socket_state::Error:
        displays_.Text12.show("TCP Server Error", status_look::Error);
        break;
    default:
        break;
    }
}

void ResidentServer::listenUnlessServing()
{
    const int now = tcpserver_.state();
    if (now != socket_state::Listening && now != socket_state::Connected)
        MnuOpenSocket_Click();
}

bool ResidentServer::isClosed() const
{
    return tcpserver_.state() == socket_state::Closed;
}

bool ResidentServer::clientConnected() const
{
    return tcpserver_.state() == socket_state::Connected;
}

void ResidentServer::sendToClient(std::string_view text)
{
    if (clientConnected())
        tcpserver_.sendData(text);
}

void ResidentServer::closeAtShutdown()
{
    if (tcpserver_.state() == socket_state::Closed)
        return;
    tcpserver_.close();
    events_.Dly(kShutdownPauseMs);
}
