// The resident TCP server's handlers: listen, accept, answer, close and the status timer.
#include "server/resident_server.h"

#include "link/link_state.h"
#include "platform/server_socket.h"
#include "settings/settings_values.h"

#include <utility>

namespace {

constexpr int kCloseSocketPauseMs = 1000;
constexpr int kShutdownPauseMs = 800;
constexpr int kStatusTimerMs = 800;

bool serving(int socketState)
{
    return socketState == socket_state::Listening || socketState == socket_state::Connected;
}

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

ResidentServer::~ResidentServer()
{
    cancelCloseSocketPause();
    if (shutdownPause_)
        events_.cancel(*shutdownPause_);
}

void ResidentServer::MnuOpenSocket_Click()
{
    if (!sources_.link.RealTimeOn)
        return;
    const int now = listenOnSetPort();
    if (now == socket_state::Listening) {
        reportedFailurePort_.reset();
        emit captionChanged("TCP Server : Listening");
        showState(now);
    } else if (now == socket_state::Error) {
        reportListenFailure();
    }
}

int ResidentServer::listenOnSetPort()
{
    if (shutDown_)
        return tcpserver_.state();
    closeSocket();
    const int port = sources_.settings.TCPportNum;
    tcpserver_.listen(port, listenOn());
    const int now = tcpserver_.state();
    if (now == socket_state::Listening) {
        servingPort_ = port;
        resumeWithRealTime_ = false;
    }
    return now;
}

std::optional<std::string> ResidentServer::listenAgain()
{
    if (serving(tcpserver_.state()) && servingPort_ == sources_.settings.TCPportNum)
        return std::nullopt;
    const int now = listenOnSetPort();
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

void ResidentServer::closeSocket()
{
    tcpserver_.close();
    servingPort_.reset();
}

void ResidentServer::MnuCloseSocket_Click()
{
    closeSocket();
    // The user's close outweighs a return that the port's loss was waiting for.
    resumeWithRealTime_ = false;
    cancelCloseSocketPause();
    if (shutDown_)
        return;
    closeSocketPause_ = events_.callAfter(kCloseSocketPauseMs, [this] {
        closeSocketPause_.reset();
        Timer5_Timer();
    });
}

void ResidentServer::cancelCloseSocketPause()
{
    if (closeSocketPause_)
        events_.cancel(*std::exchange(closeSocketPause_, std::nullopt));
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
    toggleAsked_ = false;
    std::string reply = protocol_.reply(tcpserver_.getData());
    if (toggleAsked_) {
        heldReplies_.push_back({asker, std::move(reply)});
        return;
    }
    sendOrDrop(reply);
}

void ResidentServer::polarityToggleDone()
{
    if (heldReplies_.empty())
        return;
    const HeldReply held = std::move(heldReplies_.front());
    heldReplies_.pop_front();
    // A client that left while its toggle ran gets nothing, and neither does the next one.
    if (held.asker == accepted_ && clientConnected())
        sendOrDrop(held.reply);
}

void ResidentServer::sendOrDrop(std::string_view text)
{
    const std::size_t unsent = tcpserver_.unsentBytes();
    if (unsent + text.size() <= kMaxUnsentBytes) {
        tcpserver_.sendData(text);
        idleTicks_ = 0;
        return;
    }
    dropClient("A TCP client left " + std::to_string(unsent) + " bytes unread and was disconnected.");
}

void ResidentServer::dropOversizeClient(std::size_t buffered)
{
    dropClient("A TCP client sent " + std::to_string(buffered) + " bytes without ending a command and was disconnected.");
}

void ResidentServer::dropClient(const std::string& line)
{
    closeSocket();
    statusList_.addLine(line);
    const int now = listenOnSetPort();
    if (now == socket_state::Error)
        reportListenFailure();
    showState(now);
}

void ResidentServer::stopServingStaleReadings()
{
    const int now = tcpserver_.state();
    if (now == socket_state::Closed)
        return;
    if (now == socket_state::Connected)
        statusList_.addLine("The TCP client was disconnected: the monitor's readings stopped with its port.");
    resumeWithRealTime_ = serving(now);
    closeSocket();
}

void ResidentServer::Timer5_Timer()
{
    if (tcpserver_.state() == socket_state::PeerClosed)
        closeSocket();
    const int now = tcpserver_.state();
    if (now == socket_state::Connected)
        ++idleTicks_;
    showState(now);
    // MnuOpenSocket_Click itself waits for real time.
    if ((sources_.settings.StartupListen || resumeWithRealTime_) && now == socket_state::Closed)
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
    if (!serving(tcpserver_.state()))
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

void ResidentServer::closeAtShutdown(std::function<void()> paused)
{
    shutDown_ = true;
    statusTimer_.stop();
    cancelCloseSocketPause();
    if (tcpserver_.state() == socket_state::Closed) {
        paused();
        return;
    }
    closeSocket();
    shutdownPause_ = events_.callAfter(kShutdownPauseMs, [this, paused = std::move(paused)] {
        shutdownPause_.reset();
        paused();
    });
}
