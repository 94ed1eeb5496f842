// A pseudo-terminal whose slave side serves as the emulated monitor's serial port.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class PseudoTerminal {
public:
    // Opens the master (non-blocking) and the slave in raw mode; throws
    // std::system_error when the system refuses.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The device the program opens as its serial port.
    const std::string& slavePath() const { return slavePath_; }
    // For an event notifier: readable when the program has written something.
    int masterDescriptor() const { return master_; }

    // Everything the program has written so far, without waiting.
    std::string readAvailable();

    // Sends bytes to the program and returns how many went out. Like a serial line
    // whose receiver has stopped reading, bytes beyond the slave's input limit are
    // lost rather than held: a program that has closed the port never blocks us.
    std::size_t write(std::string_view bytes);

    // Bytes sent and not yet read on the slave side.
    std::size_t unreadBySlave() const;

    // How much may wait unread on the slave side before new bytes are dropped.
    static constexpr std::size_t kSlaveInputLimit = 2048;

private:
    int master_ = -1;
    // Held open for the whole run: without it the master reads end with an error
    // each time the program closes the port.
    int slave_ = -1;
    std::string slavePath_;
};
