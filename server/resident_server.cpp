// The resident TCP server's handlers: listen, accept, answer, close and the status timer.
#include "server/resident_server.h"

#include "link/link_state.h"
#include "platform/event_loop.h"
#include "platform/server_socket.h"
#include "settings/settings_values.h"

namespace {

constexpr int kCloseSocketPauseMs = 1000;
constexpr int kShutdownPauseMs = 800;
constexpr int kStatusTimerMs = 800;

} // namespace

ResidentServer::ResidentServer(ServerSocket& tcpserver, EventLoop& events, const ServerSources& sources,
                               NumberSymbols symbols)
    : tcpserver_(tcpserver), events_(events), sources_(sources), protocol_(sources.readings, symbols, *this)
{
    tcpserver_.setConnectionRequestHandler([this](int requestId) { tcpserver_ConnectionRequest(requestId); });
    tcpserver_.setDataArrivalHandler([this] { tcpserver_DataArrival(); });
    statusTimer_.setObjectName(QStringLiteral("Timer5"));
    statusTimer_.setInterval(kStatusTimerMs);
    statusTimer_.setParent(this);
    connect(&statusTimer_, &QTimer::timeout, this, &ResidentServer::Timer5_Timer);
}

void ResidentServer::MnuOpenSocket_Click()
{
    if (!sources_.link.RealTimeOn)
        return;
    tcpserver_.close();
    tcpserver_.listen(sources_.settings.TCPportNum, listenOn());
    const int now = tcpserver_.state();
    if (now == socket_state::Listening) {
        reportedFailurePort_.reset();
        emit captionChanged("TCP Server : Listening");
        showState(now);
    } else if (now == socket_state::Error) {
        reportListenFailure();
    }
}

std::optional<std::string> ResidentServer::listenAgain()
{
    tcpserver_.close();
    tcpserver_.listen(sources_.settings.TCPportNum, listenOn());
    const int now = tcpserver_.state();
    showState(now);
    if (now == socket_state::Error)
        return tcpserver_.errorText();
    return std::nullopt;
}

ListenOn ResidentServer::listenOn() const
{
    return sources_.settings.TCPlocalOnly ? ListenOn::ThisComputer : ListenOn::AllInterfaces;
}

void ResidentServer::reportListenFailure()
{
    const int port = sources_.settings.TCPportNum;
    if (reportedFailurePort_ == port)
        return;
    reportedFailurePort_ = port;
    statusList_.addLine("The TCP server cannot listen on port " + std::to_string(port) + ": " + tcpserver_.errorText() + ".");
}

void ResidentServer::MnuCloseSocket_Click()
{
    tcpserver_.close();
    events_.Dly(kCloseSocketPauseMs);
    Timer5_Timer();
}

void ResidentServer::tcpserver_ConnectionRequest(int requestId)
{
    // One client at a time: a newcomer is turned away while the client it would replace
    // is in use, and takes the place of one that has gone quiet.
    if (tcpserver_.state() == socket_state::Connected && idleTicks_ < kIdleTicksBeforeReplace)
        return;
    tcpserver_.accept(requestId);
    ++accepted_;
    idleTicks_ = 0;
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
        emit captionChanged("TCP Server : Chatting with ");
        // A closing socket may refuse it; there is nobody left to tell.
        tcpserver_.sendData("myname");
        return;
    }
    const int asker = accepted_;
    idleTicks_ = 0;
    const std::string reply = protocol_.reply(tcpserver_.getData());
    // A client that left while a SET command ran gets nothing, and neither does the
    // next one; a refused send harms nothing either.
    if (asker == accepted_)
        sendOrDrop(reply);
}

void ResidentServer::sendOrDrop(std::string_view text)
{
    const std::size_t unsent = tcpserver_.unsentBytes();
    if (unsent + text.size() <= kMaxUnsentBytes) {
        tcpserver_.sendData(text);
        idleTicks_ = 0;
        return;
    }
    tcpserver_.close();
    statusList_.addLine("A TCP client left " + std::to_string(unsent)
                        + " bytes unread and was disconnected.");
}

void ResidentServer::stopServingStaleReadings()
{
    if (tcpserver_.state() == socket_state::Closed)
        return;
    if (tcpserver_.state() == socket_state::Connected)
        statusList_.addLine("The TCP client was disconnected: the monitor's readings stopped with its port.");
    tcpserver_.close();
}

void ResidentServer::dropOversizeClient(std::size_t buffered)
{
    tcpserver_.close();
    statusList_.addLine("A TCP client sent " + std::to_string(buffered)
                            + " bytes without ending a command and was disconnected.");
}

void ResidentServer::Timer5_Timer()
{
    if (tcpserver_.state() == socket_state::PeerClosed)
        tcpserver_.close();
    const int now = tcpserver_.state();
    if (now == socket_state::Connected)
        ++idleTicks_;
    showState(now);
    if (sources_.settings.StartupListen && now == socket_state::Closed)
        MnuOpenSocket_Click();
}

void ResidentServer::showState(int socketState)
{
    switch (socketState) {
    case socket_state::Closed:
        statusBox_.show("TCP Server Closed", status_look::Stopped);
        break;
    case socket_state::Listening:
        statusBox_.show("TCP Server Listening", status_look::Listening);
        break;
    case socket_state::Connected:
        statusBox_.show("TCP Server Connected", status_look::Good);
        break;
    case socket_state::Error:
        statusBox_.show("TCP Server Error", status_look::Error);
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

void ResidentServer::listenIfClosed()
{
    if (isClosed())
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
        sendOrDrop(text);
}

void ResidentServer::closeAtShutdown()
{
    statusTimer_.stop();
    if (tcpserver_.state() == socket_state::Closed)
        return;
    tcpserver_.close();
    events_.Dly(kShutdownPauseMs);
}
