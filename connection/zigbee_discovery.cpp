// The ZigBee dongle's AT exchange, with its status lines and its time-outs.
#include "connection/zigbee_discovery.h"

#include "common/second_deadline.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

#include <string>

namespace {

constexpr int kReplyTimeoutSeconds = 7;
constexpr char kCarriageReturn = '\r';

std::string node(int Zversion)
{
    return "E" + std::to_string(Zversion);
}

} // namespace

ZigbeeDiscovery::ZigbeeDiscovery(const MonitorPlatform& platform, Monitor& monitor, QObject* parent)
    : QObject(parent),
      port_(platform.port),
      clock_(platform.clock),
      events_(platform.events),
      dialogs_(platform.dialogs),
      monitor_(monitor)
{
}

ZigbeeDiscovery::Outcome ZigbeeDiscovery::FindZigbeeMonitor(int Zversion, StatusList& panelList)
{
    return discover(Zversion, panelList);
}

void ZigbeeDiscovery::FindZigbeeNode(int Zversion)
{
    if (discover(Zversion, monitor_.List1()) == Outcome::Discovered)
        monitor_.zigbeeNodeFound();
}

ZigbeeDiscovery::Reply ZigbeeDiscovery::awaitReply(char& previous)
{
    SecondDeadline deadline(clock_.secondOfMinute(), kReplyTimeoutSeconds);
    for (;;) {
        // A program asked to end does not sit out the rest of the time-out.
        if (deadline.reachedAt(clock_.secondOfMinute()) || events_.endPending())
            return Reply::None;
        events_.yield();
        if (port_.bytesWaiting() == 0) {
            events_.waitForEvents(kPollSliceMs);
            continue;
        }
        const auto byte = port_.readByte();
        if (!byte)
            continue;
        const char c = static_cast<char>(*byte);
        if (previous == 'O' && c == 'K')
            return Reply::Ok;
        if (previous == 'E' && c == 'R')
            return Reply::Error;
        previous = c;
    }
}

ZigbeeDiscovery::Outcome ZigbeeDiscovery::discover(int Zversion, StatusList& list)
{
    if (!monitor_.ports().OpenComPort())
        return Outcome::PortNotOpened;

    monitor_.holdSerialInput(true);
    list.clear();
    list.addLine("Sending +++ string");
    dialogs_.setBusyPointer(true);
    const auto finish = [this](Outcome outcome) {
        dialogs_.setBusyPointer(false);
        monitor_.holdSerialInput(false);
        return outcome;
    };
    const auto refused = [&] {
        list.clear();
        list.addLine("Received ERROR from Wireless Radio. Node " + node(Zversion) + " has not been detected.");
        return finish(Outcome::Refused);
    };

    char previous = '\0';
    port_.write("+++");
    switch (awaitReply(previous)) {
    case Reply::None:
        list.addLine("No response from +++ command");
        return finish(Outcome::NoAnswerToCommandMode);
    case Reply::Error:
        return refused();
    case Reply::Ok:
        break;
    }

    list.clear();
    list.addLine("Recieved OK response from +++ command");
    port_.write("ATDN" + node(Zversion) + kCarriageReturn);
    switch (awaitReply(previous)) {
    case Reply::None:
        list.addLine("No response from ATDN" + node(Zversion) + " command");
        return finish(Outcome::NoAnswerToDiscover);
    case Reply::Error:
        return refused();
    case Reply::Ok:
        break;
    }
    list.clear();
    list.addLine("Node " + node(Zversion) + " has been discovered successfully.");
    return finish(Outcome::Discovered);
}
