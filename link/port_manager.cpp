// Opening, closing and probing the monitor's serial port, and the two port menu commands.
#include "link/port_manager.h"

#include "link/exchange_waits.h"
#include "link/link_displays.h"
#include "link/link_settings.h"
#include "platform/com_port_path.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/status_box.h"
#include "platform/status_list.h"

#include <string>

namespace {

// The monitor needs a moment after the port opens before it takes commands.
constexpr int kSettleAfterOpenMs = 500;

// Every open applies the whole configuration, whatever was set before.
SerialPortConfig portConfig(int portNumber)
{
    SerialPortConfig config;
    config.portNumber = portNumber;
    config.inputBufferSize = 1024;
    config.line = SerialLineSettings::parse("19200,N,8,1").value();
    config.dtrEnable = false;
    config.rtsEnable = false;
    config.discardNul = false;
    return config;
}

} // namespace

PortManager::PortManager(SerialPort& port, ExchangeWaits& waits, const LinkSettings& settings, Dialogs& dialogs,
                         LinkDisplays& displays)
    : port_(port), waits_(waits), settings_(settings), dialogs_(dialogs), displays_(displays)
{
}

void PortManager::closeAndAnnounce()
{
    if (!port_.isOpen())
        return;
    port_.close();
    emit portClosed();
}

Task<bool> PortManager::open()
{
    if (closedForGood_)
        co_return false;
    const bool wasOpen = port_.isOpen();
    closeAndAnnounce();
    if (!port_.open(portConfig(settings_.ComPortNum))) {
        // The port that was open is closed now: the box must not go on saying "open".
        if (wasOpen)
            displays_.mainPortBox.show("COM Port is Closed", status_look::Stopped);
        reportOpenFailure();
        auto question = waits_.answer({"Invalid COM port. Would you like to search for available ports?"});
        const bool searchWanted = co_await question;
        if (searchWanted)
            emit portSearchWanted();
        co_return false;
    }
    co_await announceOpen();
    co_return true;
}

Task<> PortManager::announceOpen()
{
    displays_.mainPortBox.show("COM Port is Open", status_look::Good);
    emit portOpened();
    co_await waits_.delay(kSettleAfterOpenMs);
}

Task<bool> PortManager::reopenLostPort()
{
    if (closedForGood_ || port_.isOpen() || !port_.open(portConfig(settings_.ComPortNum)))
        co_return false;
    displays_.List1.addLine("The COM port is back and open again.");
    co_await announceOpen();
    co_return true;
}

void PortManager::reportOpenFailure()
{
    const std::string reason = port_.openFailure();
    if (reason.empty())
        return;
    std::string line = "COM" + std::to_string(settings_.ComPortNum) + " could not be opened: " + reason + ".";
    // The usual reason on Linux: serial devices belong to the group "dialout".
    if (reason.find("ermission denied") != std::string::npos)
        line += " Add yourself to the group \"dialout\" (sudo usermod -aG dialout $USER) and log in again.";
    displays_.List1.addLine(line);
}

void PortManager::close()
{
    closeAndAnnounce();
    displays_.mainPortBox.show("COM Port is Closed", status_look::Stopped);
}

void PortManager::closeForGood()
{
    closedForGood_ = true;
    close();
}

bool PortManager::portAvailable(int number)
{
    if (closedForGood_)
        return false;
    const bool opened = port_.open(portConfig(number));
    if (opened)
        port_.close();
    return opened;
}

Task<PortSearchResult> PortManager::findPorts()
{
    // The probe reuses the one port, so whatever was open is closed first, and shown so.
    if (port_.isOpen())
        close();
    PortSearchResult result;
    dialogs_.setBusyPointer(true);
    for (int n = 1; n <= kHighestComPort; ++n) {
        // One probe per turn of the loop, so that the windows stay alive meanwhile.
        co_await waits_.delay(0);
        if (!portAvailable(n))
            continue;
        if (result.ports.size() >= PortSearchResult::kMostPorts) {
            result.listFull = true;
            break;
        }
        result.ports.push_back(n);
    }
    // The pointer goes back before the message, so the user is not left with the hourglass.
    dialogs_.setBusyPointer(false);
    if (result.listFull)
        dialogs_.message("FindPort Error");
    co_return result;
}

void PortManager::takePortLoss()
{
    displays_.List1.addLine("The COM port was lost: its device was removed or closed.");
    emit portLost();
    close();
}

void PortManager::closeChosenByUser()
{
    const bool wasOpen = port_.isOpen();
    if (wasOpen) {
        displays_.mainPortBox.show("COM Port is Closed", status_look::Stopped);
        closeAndAnnounce();
    }
    emit closeChosen(wasOpen);
}

bool PortManager::isOpen() const
{
    return port_.isOpen();
}
