// QSerialPort behind the SerialPort interface.
#include "platform/qt_serial_port.h"

#include "platform/com_port_path.h"
#include "platform/wire_trace.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/file.h>
#endif

QtSerialPort::QtSerialPort(std::string configDir, std::string instance)
    : configDir_(std::move(configDir)), instance_(std::move(instance))
{
    QObject::connect(&port_, &QSerialPort::readyRead, [this] {
        dropOverflow();
        if (receiveHandler_)
            receiveHandler_();
    });
    // A vanished device (or the closed far end of a terminal) leaves the port readable
    // with nothing to read, which shows as a read or resource error: left open it
    // would wake the event loop without end.
    QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError error) {
        const bool deviceGone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
        if (!deviceGone || !port_.isOpen())
            return;
        port_.close();
        if (lostHandler_)
            lostHandler_();
    });
}

bool QtSerialPort::applyLineSettings(const SerialLineSettings& line)
{
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (line.parity) {
    case 'E': parity = QSerialPort::EvenParity; break;
    case 'O': parity = QSerialPort::OddParity; break;
    case 'M': parity = QSerialPort::MarkParity; break;
    case 'S': parity = QSerialPort::SpaceParity; break;
    default: break;
    }
    return port_.setBaudRate(line.baud) && port_.setParity(parity)
        && port_.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits))
        && port_.setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop)
        && port_.setFlowControl(QSerialPort::NoFlowControl);
}

bool QtSerialPort::open(const SerialPortConfig& config)
{
    close();
    qCDebug(kvoWire).noquote() << "open COM" + QString::number(config.portNumber);
    openFailure_.clear();
    const std::string device = comPortDevicePath(config.portNumber, configDir_, instance_);
    if (device.empty()) {
        openFailure_ = "no device is known for COM" + std::to_string(config.portNumber);
        return false;
    }
    port_.setPortName(QString::fromStdString(device));
    // Qt stops taking input for good once a limited read buffer is full and nobody
    // reads (as while a command exchange owns the port); the limit is kept here instead.
    port_.setReadBufferSize(0);
    inputBufferSize_ = config.inputBufferSize;
    if (!port_.open(QIODevice::ReadWrite)) {
        openFailure_ = device + ": " + port_.errorString().toStdString();
        return false;
    }
    if (!lockDevice()) {
        openFailure_ = device + ": the port is in use by another program";
        port_.close();
        return false;
    }
    if (!applyLineSettings(config.line)) {
        openFailure_ = device + ": " + port_.errorString().toStdString();
        port_.close();
        return false;
    }
    // A pseudo-terminal or a bare UART without modem lines refuses these; the port
    // works all the same, so the refusal is not a failure to open.
    port_.setDataTerminalReady(config.dtrEnable);
    port_.setRequestToSend(config.rtsEnable);
    port_.clearError();
    return true;
}

bool QtSerialPort::lockDevice()
{
#ifdef Q_OS_UNIX
    // The lock goes with the descriptor: closing the port releases it.
    return ::flock(static_cast<int>(port_.handle()), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
#else
    // Windows opens a COM port for one program at a time by itself.
    return true;
#endif
}

void QtSerialPort::close()
{
    if (!port_.isOpen())
        return;
    qCDebug(kvoWire) << "close";
    port_.close();
}

bool QtSerialPort::isOpen() const
{
    return port_.isOpen();
}

int QtSerialPort::bytesWaiting()
{
    if (!port_.isOpen())
        return 0;
    dropOverflow();
    return static_cast<int>(port_.bytesAvailable());
}

void QtSerialPort::dropOverflow()
{
    // An overrun loses the oldest input, so that what waits is the latest.
    const qint64 excess = port_.bytesAvailable() - inputBufferSize_;
    if (inputBufferSize_ > 0 && excess > 0)
        port_.skip(excess);
}

std::optional<std::uint8_t> QtSerialPort::readByte()
{
    char byte = 0;
    if (!port_.isOpen() || !port_.getChar(&byte))
        return std::nullopt;
    qCDebug(kvoWire).noquote() << "<-" << wireText(std::string_view(&byte, 1));
    return static_cast<std::uint8_t>(byte);
}

bool QtSerialPort::write(std::string_view bytes)
{
    if (!port_.isOpen())
        return false;
    const qint64 written = port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Hand the bytes to the system now, so that the reply's wait starts with them sent.
    port_.flush();
    qCDebug(kvoWire).noquote() << "->" << wireText(bytes) << (written == qint64(bytes.size()) ? "" : "(failed)");
    return written == static_cast<qint64>(bytes.size());
}

void QtSerialPort::setReceiveHandler(std::function<void()> handler)
{
    receiveHandler_ = std::move(handler);
}

void QtSerialPort::setLostHandler(std::function<void()> handler)
{
    lostHandler_ = std::move(handler);
}
