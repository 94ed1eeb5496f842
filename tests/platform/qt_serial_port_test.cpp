// The Qt serial port over a pseudo-terminal: more input than the port's buffer holds
// arriving while nobody reads (a command exchange owns the port) must not stop the
// port reading for good.
#include "platform/qt_serial_port.h"

#include "simulator/com_port_link.h"
#include "simulator/pseudo_terminal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kComPort = 5;

std::string numbered(std::size_t count, std::size_t first)
{
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>((first + i) % 251));
    return bytes;
}

// Reads what waits, running events between polls, until nothing more came for 300 ms
// (5 s at most).
std::string readUntilQuiet(QtSerialPort& port)
{
    std::string got;
    const QDeadlineTimer deadline(5000);
    QDeadlineTimer quiet(300);
    while (!quiet.hasExpired() && !deadline.hasExpired()) {
        while (port.bytesWaiting() > 0) {
            got.push_back(static_cast<char>(*port.readByte()));
            quiet.setRemainingTime(300);
        }
        QTest::qWait(5);
    }
    return got;
}

TEST(QtSerialPort, inputBeyondTheBufferWhileNobodyReads_theLatestIsKeptAndReadingGoesOn)
{
    QTemporaryDir config;
    PseudoTerminal terminal;
    ComPortLink link(kComPort, config.path().toStdString(), terminal.slavePath());
    QtSerialPort port(config.path().toStdString());
    int notifications = 0;
    port.setReceiveHandler([&] { ++notifications; });
    SerialPortConfig config1024;
    config1024.portNumber = kComPort;
    config1024.inputBufferSize = 1024;
    ASSERT_TRUE(port.open(config1024));

    // Four times the buffer, in pieces small enough for the terminal, while the program
    // only looks whether anything waits (as the real-time start does). The kernel hands
    // written bytes to the terminal's reader a moment later, so a piece it refuses for now
    // is offered again once the event loop has run.
    constexpr std::size_t kTotal = 4096;
    std::size_t sent = 0;
    const QDeadlineTimer sending(5000);
    while (sent < kTotal && !sending.hasExpired()) {
        sent += terminal.write(numbered(std::min<std::size_t>(512, kTotal - sent), sent));
        QTest::qWait(5);
    }
    ASSERT_EQ(sent, kTotal);
    const QDeadlineTimer settle(2000);
    while (terminal.unreadBySlave() > 0 && !settle.hasExpired())
        QTest::qWait(5);
    const std::string backlog = readUntilQuiet(port);
    EXPECT_LT(backlog.size(), kTotal) << "an overflow loses the oldest bytes";
    // The newest input survives an overflow: it ends with the last byte sent.
    ASSERT_FALSE(backlog.empty());
    EXPECT_EQ(backlog.back(), numbered(1, kTotal - 1)[0]);

    // And the port goes on reading and announcing what arrives.
    notifications = 0;
    ASSERT_EQ(terminal.write(numbered(300, 7)), 300u);
    EXPECT_EQ(readUntilQuiet(port), numbered(300, 7));
    EXPECT_GT(notifications, 0);
}

} // namespace
