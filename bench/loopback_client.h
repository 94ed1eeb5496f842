// A blocking TCP client on the loopback interface that times request and reply.
#pragma once

#include <string>
#include <string_view>

class LoopbackClient {
public:
    explicit LoopbackClient(int port);
    ~LoopbackClient();

    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    bool connected() const { return fd_ >= 0; }

    // Sends the request and reads until the reply ends with replyEnd; false when the
    // connection fails or closes first.
    bool roundTrip(std::string_view request, std::string_view replyEnd);

    const std::string& reply() const { return reply_; }

    // Sends without waiting for a reply.
    bool send(std::string_view request);
    // Reads what has arrived without waiting; the bytes read.
    std::size_t drain();

private:
    int fd_ = -1;
    std::string reply_;
};
