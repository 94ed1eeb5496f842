// A real serial port on QSerialPort, with COM numbers mapped to devices.
#pragma once

#include "platform/serial_port.h"

#include <QSerialPort>

class QtSerialPort : public SerialPort {
public:
    // configDir and the instance say where the per-user COM port links live (see com_port_path.h).
    explicit QtSerialPort(std::string configDir, std::string instance = {});

    // The device is also locked for this process (an advisory lock): a second program
    // that opens the same port through this class is refused while the first holds it.
    bool open(const SerialPortConfig& config) override;
    std::string openFailure() const override { return openFailure_; }
    void close() override;
    bool isOpen() const override;
    int bytesWaiting() override;
    std::optional<std::uint8_t> readByte() override;
    bool write(std::string_view bytes) override;
    void setReceiveHandler(std::function<void()> handler) override;
    void setLostHandler(std::function<void()> handler) override;

private:
    bool applyLineSettings(const SerialLineSettings& line);
    // Keeps at most the configured input buffer's worth of received bytes.
    void dropOverflow();

    // Takes the device's advisory lock; false when another process holds it.
    bool lockDevice();

    std::string configDir_;
    std::string instance_;
    std::string openFailure_;
    QSerialPort port_;
    int inputBufferSize_ = 0;
    std::function<void()> receiveHandler_;
    std::function<void()> lostHandler_;
};
