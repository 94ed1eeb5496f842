// The ZigBee dongle's AT exchange, with its status lines and its time-outs.
#include "link/zigbee_discovery.h"

#include "link/exchange_waits.h"
#include "link/port_manager.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

#include <string>

namespace {

constexpr int kReplyTimeoutSeconds = 7;
constexpr char kCarriageReturn = '\r';

std::string node(int version)
{
    return "E" + std::to_string(version);
}

} // namespace

ZigbeeDiscovery::ZigbeeDiscovery(SerialPort& port, ExchangeWaits& waits, Dialogs& dialogs, PortManager& ports)
    : port_(port), waits_(waits), dialogs_(dialogs), ports_(ports)
{
}

Task<ZigbeeDiscovery::Reply> ZigbeeDiscovery::awaitReply(char& previous)
{
    // One deadline for the whole reply, however many bytes it takes.
    auto next = waits_.byteWithin(kReplyTimeoutSeconds);
    for (;;) {
        const bool arrived = co_await next;
        if (!arrived)
            co_return Reply::None;
        const auto byte = port_.readByte();
        if (byte) {
            const char c = static_cast<char>(*byte);
            if (previous == 'O' && c == 'K')
                co_return Reply::Ok;
            if (previous == 'E' && c == 'R')
                co_return Reply::Error;
            previous = c;
        }
    }
}

Task<ZigbeeDiscovery::Outcome> ZigbeeDiscovery::findNode(int version, StatusList& list)
{
    const bool opened = co_await ports_.open();
    if (!opened)
        co_return Outcome::PortNotOpened;

    list.clear();
    list.addLine("Sending +++ string");
    dialogs_.setBusyPointer(true);
    Outcome outcome = Outcome::Discovered;
    char previous = '\0';
    Reply reply = Reply::None;
    port_.write("+++");
    reply = co_await awaitReply(previous);
    if (reply == Reply::None) {
        list.addLine("No response from +++ command");
        outcome = Outcome::NoAnswerToCommandMode;
    } else if (reply == Reply::Ok) {
        list.clear();
        list.addLine("Recieved OK response from +++ command");
        port_.write("ATDN" + node(version) + kCarriageReturn);
        reply = co_await awaitReply(previous);
        if (reply == Reply::None) {
            list.addLine("No response from ATDN" + node(version) + " command");
            outcome = Outcome::NoAnswerToDiscover;
        } else if (reply == Reply::Ok) {
            list.clear();
            list.addLine("Node " + node(version) + " has been discovered successfully.");
        }
    }
    if (reply == Reply::Error) {
        list.clear();
        list.addLine("Received ERROR from Wireless Radio. Node " + node(version) + " has not been detected.");
        outcome = Outcome::Refused;
    }
    dialogs_.setBusyPointer(false);
    co_return outcome;
}
