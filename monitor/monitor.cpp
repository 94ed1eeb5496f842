// The monitor's parts wired together, and its timers.
#include "monitor/monitor.h"

#include "platform/serial_port.h"

namespace {

constexpr int kWatchdogMs = 1000;
constexpr int kAutomaticStartMs = 3000;
constexpr std::int16_t kWatchdogStartsStopped = 6;

} // namespace

Monitor::Monitor(const MonitorPlatform& platform, const LinkSettings& settings, QObject* parent)
    : QObject(parent),
      port_(platform.port),
      ports_(platform.port, platform.events, settings, state_, platform.dialogs, displays_),
      exchange_(platform.port, platform.clock, platform.events, statusList_, ports_),
      realTime_(platform.port, platform.clock, platform.events, settings, state_, platform.dialogs, displays_, ports_,
                exchange_),
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
    port_.setReceiveHandler([this] { receiver_.onBytesArrived(); });
    port_.setLostHandler([this] { ports_.takePortLoss(); });

    connect(&receiver_, &PacketReceiver::packetDecoded, this, [this] {
        // The first packet's step is measured from the counters of an earlier run.
        if (++packetsDecoded_ > 1 && decoder_.readings().DeltaSeconds > 1)
            packetsMissed_ += decoder_.readings().DeltaSeconds - 1;
        emit powerFactorsDecoded(decoder_.powerFactorTexts());
        emit readingsDecoded(decoder_.readings());
    });
    connect(&ports_, &PortManager::portOpened, this, &Monitor::portOpened);
    connect(&ports_, &PortManager::portClosed, this, &Monitor::portClosed);
    connect(&ports_, &PortManager::portLost, this, &Monitor::portLost);
    connect(&ports_, &PortManager::portLost, this, &Monitor::takePortLoss);
    // Whoever opens the port (the user or the next try), the tries are over.
    connect(&ports_, &PortManager::portOpened, &reconnect_, &QTimer::stop);
    // A port the user closed stays closed, lost before or not.
    connect(&ports_, &PortManager::closeChosen, &reconnect_, &QTimer::stop);
    connect(&reconnect_, &QTimer::timeout, this, &Monitor::tryReconnect);
    connect(&ports_, &PortManager::portSearchWanted, this, &Monitor::portSearchWanted);
    connect(&realTime_, &RealTimeControl::realTimeChanged, this, &Monitor::realTimeChanged);
    connect(&realTime_, &RealTimeControl::comPanelWanted, this, &Monitor::comPanelWanted);
    connect(&realTime_, &RealTimeControl::zigbeeNodeSearchWanted, this, &Monitor::zigbeeNodeSearchWanted);
    connect(&realTime_, &RealTimeControl::tcpServerStartWanted, this, &Monitor::tcpServerStartWanted);
    connect(&realTime_, &RealTimeControl::tcpServerStartIfClosedWanted, this,
            &Monitor::tcpServerStartIfClosedWanted);

    connect(&watchdog_, &QTimer::timeout, &realTime_, &RealTimeControl::Timer2_Timer);
    connect(&automaticStart_, &QTimer::timeout, this, [this] {
        if (!realTime_.Timer3_Timer())
            automaticStart_.stop();
    });
}

void Monitor::begin()
{
    ports_.CloseComPort();
    state_.NoDataSeconds = kWatchdogStartsStopped;
    watchdog_.start();
}

void Monitor::armAutomaticStart()
{
    automaticStart_.start();
}

void Monitor::takePortLoss()
{
    // The watchdog may already have seen the packets stop, or a start may have held
    // them back just before the loss: what the monitor was last told counts too.
    realTimeBeforeLoss_ = state_.RealTimeOn || realTime_.realTimeWanted();
    realTime_.dataStopped();
    reconnect_.start();
}

void Monitor::tryReconnect()
{
    if (!ports_.reopenLostPort() || !realTimeBeforeLoss_)
        return;
    realTimeBeforeLoss_ = false;
    realTime_.MnuStartRTL_Click();
}

void Monitor::end()
{
    reconnect_.stop();
    watchdog_.stop();
    automaticStart_.stop();
    ports_.closeForGood();
}
