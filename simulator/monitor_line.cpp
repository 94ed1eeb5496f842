// The event-driven wiring between the pseudo-terminal and the emulated monitor.
#include "simulator/monitor_line.h"

#include "simulator/line_device.h"
#include "simulator/pseudo_terminal.h"

#include <algorithm>

namespace {

// Ticks land just after each whole second, so a tick never finds a second unfinished.
constexpr qint64 kTickMarginMs = 5;

} // namespace

MonitorLine::MonitorLine(LineDevice& device, PseudoTerminal& terminal, int ticksPerSecond)
    : device_(device),
      terminal_(terminal),
      readable_(terminal.masterDescriptor(), QSocketNotifier::Read),
      tickMs_(1000 / ticksPerSecond)
{
    connect(&readable_, &QSocketNotifier::activated, this, &MonitorLine::answerProgram);
    secondTimer_.setSingleShot(true);
    secondTimer_.setTimerType(Qt::PreciseTimer);
    connect(&secondTimer_, &QTimer::timeout, this, &MonitorLine::passTime);
    sinceStart_.start();
    scheduleNextSecond();
}

void MonitorLine::answerProgram()
{
    terminal_.write(device_.receive(terminal_.readAvailable(), sinceStart_.elapsed()));
}

void MonitorLine::passTime()
{
    // Whole seconds by the clock, not by tick count: a late tick catches up.
    const qint64 seconds = sinceStart_.elapsed() / tickMs_;
    const auto elapsed = static_cast<int>(seconds - secondsPassed_);
    secondsPassed_ = seconds;
    terminal_.write(device_.tick(elapsed));
    scheduleNextSecond();
}

void MonitorLine::scheduleNextSecond()
{
    const qint64 nextSecondMs = (secondsPassed_ + 1) * tickMs_ + kTickMarginMs;
    secondTimer_.start(static_cast<int>(std::max<qint64>(nextSecondMs - sinceStart_.elapsed(), 0)));
}
