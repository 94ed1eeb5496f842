// A server socket driven by the test: clients ask to connect, send and leave when the
// test says; what the server sends is recorded.
#pragma once

#include "platform/server_socket.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class FakeServerSocket : public ServerSocket {
public:
    int state() const override { return state_; }
    void close() override
    {
        ++closes;
        state_ = socket_state::Closed;
        buffered_.clear();
    }
    void listen(int port, ListenOn where) override
    {
        listens.push_back(port);
        listensOn.push_back(where);
        state_ = listenSucceeds ? socket_state::Listening : socket_state::Error;
    }
    void accept(int requestId) override
    {
        accepts.push_back(requestId);
        state_ = socket_state::Connected;
    }
    std::string peekData() override { return buffered_; }
    std::string getData() override { return std::exchange(buffered_, {}); }
    bool sendData(std::string_view text) override
    {
        if (state_ != socket_state::Connected) {
            refused.emplace_back(text);
            return false;
        }
        sent.emplace_back(text);
        return true;
    }
    std::size_t unsentBytes() const override { return unsent; }
    std::string errorText() const override { return "Address already in use"; }
    void setConnectionRequestHandler(std::function<void(int requestId)> handler) override
    {
        requestHandler_ = std::move(handler);
    }
    void setDataArrivalHandler(std::function<void()> handler) override { arrivalHandler_ = std::move(handler); }

    // A client asks to connect; the server's handler decides.
    void requestConnection(int requestId) { requestHandler_(requestId); }
    // Bytes from the client join the buffer and the server hears of them.
    void arrive(std::string_view bytes)
    {
        buffered_ += bytes;
        arrivalHandler_();
    }
    // The client closes its end; what it sent stays buffered.
    void peerCloses() { state_ = socket_state::PeerClosed; }
    void setState(int state) { state_ = state; }
    const std::string& buffered() const { return buffered_; }

    bool listenSucceeds = true;
    // What the client has left unread, as the test sets it.
    std::size_t unsent = 0;
    std::vector<int> listens;
    std::vector<ListenOn> listensOn;
    std::vector<int> accepts;
    int closes = 0;
    // Every accepted send, in order, and the sends the socket refused.
    std::vector<std::string> sent;
    std::vector<std::string> refused;

private:
    int state_ = socket_state::Closed;
    std::string buffered_;
    std::function<void(int)> requestHandler_;
    std::function<void()> arrivalHandler_;
};
