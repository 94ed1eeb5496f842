// Opening, closing and probing the monitor's serial port, and the two port menu commands.
#include "link/port_manager.h"

#include "link/link_displays.h"
#include "link/link_settings.h"
#include "link/link_state.h"
#include "platform/com_port_path.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "platform/status_box.h"
#include "platform/status_list.h"

#include <exception>
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

PortManager::PortManager(SerialPort& port, EventLoop& events, const LinkSettings& settings, LinkState& state,
                         Dialogs& dialogs, LinkDisplays& displays)
    : port_(port), events_(events), settings_(settings), state_(state), dialogs_(dialogs), displays_(displays)
{
}

void PortManager::closeAndAnnounce()
{
    if (!port_.isOpen())
        return;
    port_.close();
    emit portClosed();
}

bool PortManager::OpenComPort()
{
    if (closedForGood_)
        return false;
    const bool wasOpen = port_.isOpen();
    closeAndAnnounce();
    if (!port_.open(portConfig(settings_.ComPortNum))) {
        // The port that was open is closed now: the box must not go on saying "open".
        if (wasOpen)
            displays_.mainPortBox.show("COM Port is Closed", status_look::Stopped);
        reportOpenFailure();
        if (dialogs_.askYesNo("Invalid COM port. Would you like to search for available ports?"))
            emit portSearchWanted();
        return false;
    }
    announceOpen();
    return true;
}

void PortManager::announceOpen()
{
    displays_.mainPortBox.show("COM Port is Open", status_look::Good);
    displays_.comPanelPortBox.setLook(status_look::Good);
    emit portOpened();
    events_.Dly(kSettleAfterOpenMs);
}

bool PortManager::reopenLostPort()
{
    if (closedForGood_ || port_.isOpen() || !port_.open(portConfig(settings_.ComPortNum)))
        return false;
    displays_.List1.addLine("The COM port is back and open again.");
    announceOpen();
    return true;
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

void PortManager::CloseComPort()
{
    closeAndAnnounce();
    displays_.mainPortBox.show("COM Port is Closed", status_look::Stopped);
}

void PortManager::closeForGood()
{
    closedForGood_ = true;
    CloseComPort();
}

bool PortManager::PortAvailable(int port)
{
    // The probe reuses the one port, so whatever was open is closed first and the
    // port is always left closed.
    closeAndAnnounce();
    if (closedForGood_)
        return false;
    events_.yield();
    const bool opened = port_.open(portConfig(port));
    if (opened)
        port_.close();
    events_.yield();
    return opened;
}

void PortManager::FindPorts()
{
    state_.PortCount = 0;
    bool listFull = false;
    for (int n = 1; n <= kHighestComPort; ++n) {
        dialogs_.setBusyPointer(true);
        events_.yield();
        if (!PortAvailable(n))
            continue;
        if (static_cast<std::size_t>(state_.PortCount) >= state_.PortList.size()) {
            listFull = true;
            break;
        }
        state_.PortList[static_cast<std::size_t>(state_.PortCount)] = static_cast<std::int16_t>(n);
        ++state_.PortCount;
        events_.yield();
    }
    // The pointer goes back before the message, so the user is not left with the hourglass.
    dialogs_.setBusyPointer(false);
    if (listFull)
        dialogs_.message("FindPort Error");
}

void PortManager::takePortLoss()
{
    displays_.List1.addLine("The COM port was lost: its device was removed or closed.");
    emit portLost();
    CloseComPort();
}

void PortManager::MnuOpenCom_Click()
{
    try {
        OpenComPort();
    } catch (const std::exception&) {
        dialogs_.message("Could not open the port. Click \"COM Port Setup\" and check settings.");
    }
}

void PortManager::MnuClosePort_Click()
{
    if (port_.isOpen()) {
        displays_.mainPortBox.show("COM Port is Closed", status_look::Stopped);
        displays_.comPanelPortBox.show(std::to_string(settings_.ComPortNum), status_look::Stopped);
        closeAndAnnounce();
    }
    displays_.webRealTimeBox.show("Real-Time Data Stopped", status_look::Stopped);
    emit closeChosen();
}

bool PortManager::isOpen() const
{
    return port_.isOpen();
}
