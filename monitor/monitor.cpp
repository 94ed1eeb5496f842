// The monitor's parts wired together, its jobs, and its timers.
#include "monitor/monitor.h"

#include "platform/dialogs.h"
#include "platform/serial_port.h"

namespace {

constexpr int kWatchdogMs = 1000;
constexpr int kAutomaticStartMs = 3000;
constexpr std::int16_t kWatchdogStartsStopped = 6;

// The names under which jobs wait their turn (a second start waits no turn).
const std::string kStartJob = "start real time";
const std::string kStopJob = "stop real time";
const std::string kReconnectJob = "reopen the lost port";

} // namespace

Monitor::Monitor(const MonitorPlatform& platform, const LinkSettings& settings, QObject* parent)
    : QObject(parent),
      port_(platform.port),
      clock_(platform.clock),
      dialogs_(platform.dialogs),
      waits_(platform.events, platform.clock, platform.port, platform.dialogs),
      queue_(waits_, statusList_),
      ports_(platform.port, waits_, settings, platform.dialogs, displays_),
      commands_(platform.port, waits_, statusList_, ports_),
      discovery_(platform.port, waits_, platform.dialogs, ports_),
      realTime_({.port = platform.port, .clock = platform.clock, .waits = waits_, .dialogs = platform.dialogs,
                 .displays = displays_, .ports = ports_, .commands = commands_, .discovery = discovery_},
                settings, state_),
      polarity_(platform.port, waits_, commands_, state_),
      decoder_(statusList_, platform.clock),
      receiver_(platform.port, platform.clock, platform.events, state_, statusList_, decoder_)
{
    watchdog_.setObjectName(QStringLiteral("Timer2"));
    watchdog_.setInterval(kWatchdogMs);
    watchdog_.setParent(this);
    automaticStart_.setObjectName(QStringLiteral("Timer3"));
    automaticStart_.setInterval(kAutomaticStartMs);
    automaticStart_.setParent(this);
    reconnect_.setObjectName(QStringLiteral("ReconnectTimer"));
    reconnect_.setInterval(kReconnectMs);
    reconnect_.setParent(this);
    connectSignals();
}

void Monitor::connectSignals()
{
    port_.setReceiveHandler([this] {
        waits_.bytesArrived();
        receiver_.onBytesArrived();
    });
    port_.setLostHandler([this] { ports_.takePortLoss(); });

    connect(&receiver_, &PacketReceiver::packetDecoded, this, [this] {
        // The first packet's step is measured from the counters of an earlier run.
        if (++packetsDecoded_ > 1 && decoder_.readings().DeltaSeconds > 1)
            packetsMissed_ += decoder_.readings().DeltaSeconds - 1;
        emit powerFactorsDecoded(decoder_.powerFactorTexts());
        emit readingsDecoded(decoder_.readings());
    });
    connect(&queue_, &ExchangeQueue::busyChanged, this, &Monitor::holdInputWhileBusy);
    connect(&queue_, &ExchangeQueue::busyChanged, this, &Monitor::busyChanged);
    connect(&ports_, &PortManager::portOpened, this, &Monitor::portOpened);
    connect(&ports_, &PortManager::portClosed, this, &Monitor::portClosed);
    connect(&ports_, &PortManager::portLost, this, &Monitor::portLost);
    connect(&ports_, &PortManager::portLost, this, &Monitor::takePortLoss);
    // Whoever opens the port (the user or the next try), the tries are over.
    connect(&ports_, &PortManager::portOpened, &reconnect_, &QTimer::stop);
    // A port the user closed stays closed, lost before or not.
    connect(&ports_, &PortManager::closeChosen, &reconnect_, &QTimer::stop);
    connect(&ports_, &PortManager::closeChosen, this, [this](bool wasOpen) {
        emit portCloseChosen(wasOpen);
        emit realTimeSwitched(false);
    });
    connect(&reconnect_, &QTimer::timeout, this,
            [this] { queue_.enqueueUnlessPending(kReconnectJob, [this] { return reconnectJob(); }); });
    connect(&ports_, &PortManager::portSearchWanted, this, &Monitor::portSearchWanted);
    connect(&realTime_, &RealTimeControl::realTimeChanged, this, &Monitor::realTimeChanged);
    connect(&realTime_, &RealTimeControl::realTimeSwitched, this, &Monitor::realTimeSwitched);
    connect(&realTime_, &RealTimeControl::comPanelWanted, this, &Monitor::comPanelWanted);
    connect(&realTime_, &RealTimeControl::tcpServerStartWanted, this, &Monitor::tcpServerStartWanted);
    connect(&realTime_, &RealTimeControl::tcpServerStartIfClosedWanted, this,
            &Monitor::tcpServerStartIfClosedWanted);

    connect(&watchdog_, &QTimer::timeout, &realTime_, &RealTimeControl::watchdogTick);
    connect(&automaticStart_, &QTimer::timeout, this, &Monitor::automaticStartTick);
}

void Monitor::holdInputWhileBusy(bool busy)
{
    receiver_.hold(busy || realTime_.inputHeldAfterStop());
}

void Monitor::begin()
{
    ports_.close();
    state_.NoDataSeconds = kWatchdogStartsStopped;
    watchdog_.start();
}

void Monitor::armAutomaticStart()
{
    automaticStart_.start();
}

void Monitor::automaticStartTick()
{
    if (!ports_.isOpen())
        return;
    automaticStart_.stop();
    queue_.enqueueUnlessPending(kStartJob, [this] { return realTime_.automaticStart(); });
}

void Monitor::startRealTime()
{
    queue_.enqueueUnlessPending(kStartJob, [this] { return realTime_.start(); });
}

void Monitor::stopRealTime()
{
    queue_.enqueueUnlessPending(kStopJob, [this] { return stopJob(); });
}

void Monitor::openPort(QObject* observer, std::function<void(bool opened)> opened)
{
    queue_.enqueue("open the port", [this, observer = QPointer<QObject>(observer), opened] {
        return openPortJob(observer, opened);
    });
}

Task<> Monitor::stopJob()
{
    co_await realTime_.stop();
}

Task<> Monitor::openPortJob(QPointer<QObject> observer, std::function<void(bool)> opened)
{
    bool isOpen = false;
    try {
        isOpen = co_await ports_.open();
    } catch (const std::exception&) {
        dialogs_.message("Could not open the port. Click \"COM Port Setup\" and check settings.");
    }
    if (observer && opened)
        opened(isOpen);
}

void Monitor::togglePolarity(int channel)
{
    queue_.enqueue("toggle the polarity", [this, channel] { return togglePolarityJob(channel, false, {}); });
}

void Monitor::togglePolarityFromNetwork(int channel, std::function<void()> done)
{
    queue_.enqueue("toggle the polarity",
                   [this, channel, done] { return togglePolarityJob(channel, true, done); });
}

Task<> Monitor::togglePolarityJob(int channel, bool fromNetwork, std::function<void()> done)
{
    const auto failure = co_await polarity_.toggle(channel);
    if (failure && fromNetwork)
        statusList_.addLine(*failure);
    else if (failure)
        dialogs_.message(*failure);
    if (done)
        done();
}

void Monitor::findPorts(QObject* observer, std::function<void(const PortSearchResult&)> found)
{
    queue_.enqueueUnlessPending("search the ports", [this, observer = QPointer<QObject>(observer), found] {
        return deliverTo(ports_.findPorts(), observer, found);
    });
}

void Monitor::findZigbeeNode(int version)
{
    queue_.enqueue("find the ZigBee node", [this, version] { return findZigbeeNodeJob(version); });
}

Task<> Monitor::findZigbeeNodeJob(int version)
{
    co_await discovery_.findNode(version, discoveryList_);
    realTime_.releaseInput();
}

void Monitor::takePortLoss()
{
    // The watchdog may already have seen the packets stop, or a start may have held
    // them back just before the loss: what the monitor was last told counts too.
    realTimeBeforeLoss_ = state_.RealTimeOn || realTime_.realTimeWanted();
    realTime_.dataStopped();
    reconnect_.start();
}

Task<> Monitor::reconnectJob()
{
    const bool reopened = co_await ports_.reopenLostPort();
    if (!reopened || !realTimeBeforeLoss_)
        co_return;
    realTimeBeforeLoss_ = false;
    co_await realTime_.start();
}

void Monitor::end()
{
    queue_.close();
    reconnect_.stop();
    watchdog_.stop();
    automaticStart_.stop();
    ports_.closeForGood();
}
