// The simulator's pseudo-terminal: bytes both ways, no echo, and no blocking when the
// program side does not read.
#include "simulator/pseudo_terminal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace {

// The program's end of the line, as a plain descriptor.
class SlaveEnd {
public:
    explicit SlaveEnd(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~SlaveEnd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    void write(std::string_view bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    // Reads until count bytes came or a second passes without any.
    std::string read(std::size_t count)
    {
        std::string received;
        char buffer[256];
        pollfd readable{fd_, POLLIN, 0};
        while (received.size() < count && ::poll(&readable, 1, 1000) > 0) {
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - received.size()));
            if (n <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(n));
        }
        return received;
    }

private:
    int fd_;
};

// Waits until the master has something to read, or a second passes.
bool masterReadable(const PseudoTerminal& terminal)
{
    pollfd readable{terminal.masterDescriptor(), POLLIN, 0};
    return ::poll(&readable, 1, 1000) > 0;
}

TEST(PseudoTerminal, bytesWrittenByTheProgram_areReadOnTheMaster)
{
    PseudoTerminal terminal;
    SlaveEnd program(terminal.slavePath());
    ASSERT_TRUE(program.isOpen());
    program.write(std::string("\xFCTOG\r\n\0", 7));
    ASSERT_TRUE(masterReadable(terminal));
    EXPECT_EQ(terminal.readAvailable(), std::string("\xFCTOG\r\n\0", 7));
    EXPECT_EQ(terminal.readAvailable(), "");
}

TEST(PseudoTerminal, bytesSentToTheProgram_arriveUnchangedAndAreNotEchoed)
{
    PseudoTerminal terminal;
    SlaveEnd program(terminal.slavePath());
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(terminal.write(all), all.size());
    EXPECT_EQ(program.read(all.size()), all);
    pollfd readable{terminal.masterDescriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&readable, 1, 100), 0) << "the terminal echoed bytes back";
}

// The kernel hands written bytes to the slave side a moment later; a monitor writes
// once a second, so give each write that moment (at most a second) before the next.
void settle(const PseudoTerminal& terminal, std::size_t expected)
{
    for (int waited = 0; terminal.unreadBySlave() < expected && waited < 1000; ++waited)
        ::usleep(1000);
}

TEST(PseudoTerminal, nobodyReading_dropsBytesBeyondTheLimitWithoutBlocking)
{
    PseudoTerminal terminal;
    const std::string packetSized(43, '\x55');
    std::size_t sent = 0;
    for (int i = 0; i < 100; ++i) {
        sent += terminal.write(packetSized);
        settle(terminal, sent);
    }
    EXPECT_GT(sent, 0u);
    EXPECT_LE(sent, PseudoTerminal::kSlaveInputLimit);
    EXPECT_EQ(terminal.unreadBySlave(), sent);

    // Once the program reads again, new bytes go out again.
    SlaveEnd program(terminal.slavePath());
    EXPECT_EQ(program.read(sent).size(), sent);
    EXPECT_EQ(terminal.write(packetSized), packetSized.size());
}

TEST(PseudoTerminal, programClosingAndReopeningThePort_keepsTheLineWorking)
{
    PseudoTerminal terminal;
    {
        SlaveEnd first(terminal.slavePath());
        first.write("A");
        ASSERT_TRUE(masterReadable(terminal));
        EXPECT_EQ(terminal.readAvailable(), "A");
    }
    EXPECT_EQ(terminal.readAvailable(), "");
    SlaveEnd second(terminal.slavePath());
    second.write("B");
    ASSERT_TRUE(masterReadable(terminal));
    EXPECT_EQ(terminal.readAvailable(), "B");
    EXPECT_EQ(terminal.write("C"), 1u);
    EXPECT_EQ(second.read(1), "C");
}

} // namespace
