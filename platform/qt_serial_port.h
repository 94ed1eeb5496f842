// A real serial port on QSerialPort, with COM numbers mapped to devices.
#pragma once

#include "platform/serial_port.h"

#include <QSerialPort>

class QtSerialPort : public SerialPort {
public:
    // configDir is where the per-user COM port links live (see com_port_path.h).
    explicit QtSerialPort(std::string configDir);

    bool open(const SerialPortConfig& config) override;
    void close() override;
    bool isOpen() const override;
    int bytesWaiting() override;
    std::optional<std::uint8_t> readByte() override;
    bool write(std::string_view bytes) override;
    bool waitForBytes(int timeoutMs) override;
    void setReceiveHandler(std::function<void()> handler) override;
    void setLostHandler(std::function<void()> handler) override;

private:
    bool applyLineSettings(const SerialLineSettings& line);
    // Keeps at most the configured input buffer's worth of received bytes.
    void dropOverflow();

    std::string configDir_;
    QSerialPort port_;
    int inputBufferSize_ = 0;
    std::function<void()> receiveHandler_;
    std::function<void()> lostHandler_;
};
