// The TCP server socket: one listening port or one connected client, never both.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The socket states that the server acts on, by their numbers.
namespace socket_state {
constexpr int Closed = 0;
constexpr int Listening = 2;
constexpr int Connected = 7;
// The client has closed its end; what it sent before may still be buffered.
constexpr int PeerClosed = 8;
constexpr int Error = 9;
} // namespace socket_state

// Where the server takes clients from: every network the computer is on, or its
// loopback only, so that no other host can send commands.
enum class ListenOn { AllInterfaces, ThisComputer };

class ServerSocket {
public:
    virtual ~ServerSocket() = default;

    virtual int state() const = 0;

    // Stops listening and drops the client, discarding what it sent; no failure when
    // already closed.
    virtual void close() = 0;

    // Listens on the local port; a port that cannot be used leaves the Error state.
    virtual void listen(int port, ListenOn where) = 0;

    // Binds the socket to the client of a connection request, in place of the client
    // it had; the port goes on taking requests, each of which the handler accepts or
    // leaves (a request left is dropped).
    virtual void accept(int requestId) = 0;

    // Every byte received and not yet taken: peekData leaves them buffered, getData
    // removes them.
    virtual std::string peekData() = 0;
    virtual std::string getData() = 0;

    // Queues the text for the client; false when no connected client takes it.
    virtual bool sendData(std::string_view text) = 0;

    // Bytes queued for the client that it has not taken yet.
    virtual std::size_t unsentBytes() const = 0;

    // What went wrong with the last failed operation, in a few words.
    virtual std::string errorText() const = 0;

    // A client asks to connect while the socket listens or serves a client.
    virtual void setConnectionRequestHandler(std::function<void(int requestId)> handler) = 0;
    // Bytes arrived from the client; also called again for bytes that arrive while an
    // earlier call is still running (it may yield to the event loop).
    virtual void setDataArrivalHandler(std::function<void()> handler) = 0;
};
