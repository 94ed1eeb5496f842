// A TCP port on this machine that nothing listens on, for tests of real sockets.
//
// Header-only; needs Qt Network.
#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <random>

// Below 32768, clear of the usual ephemeral range; 0 when none is found.
inline int freeTcpPort()
{
    constexpr int kFirst = 20000;
    constexpr int kCount = 12000;
    static std::mt19937 pick{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int port = kFirst + static_cast<int>(pick() % kCount);
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, static_cast<quint16>(port)))
            return port;
    }
    return 0;
}
