// "List Available Ports" on this machine's real serial ports: the monitor's port search
// job opens and closes every number from 1 to 64 in turn, one per turn of Qt's event
// loop, while the user waits with the hourglass; the whole job is timed, from its start
// to the result. With no per-user port links (only what the fixed device names find) and
// with three pseudo-terminals linked as COM ports.
#include "scripted_dialogs.h"

#include "link/link_settings.h"
#include "monitor/monitor.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "simulator/com_port_link.h"
#include "simulator/pseudo_terminal.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

// Spread over the three fixed ranges (USB, ACM, serial), as links would be.
constexpr int kLinkedPorts[] = {5, 21, 40};
// A search that has not ended by then is broken, not slow.
constexpr int kGuardMs = 60'000;

struct SearchOnRealPorts {
    QTemporaryDir config;
    std::string configDir = config.path().toStdString();
    QtClock clock;
    QtEventLoop events;
    QtSerialPort port{configDir};
    ScriptedDialogs dialogs;
    LinkSettings settings{.CommMethod = comm_method::UsbCable};
    Monitor monitor{{.port = port, .clock = clock, .events = events, .dialogs = dialogs}, settings};
    std::vector<std::unique_ptr<PseudoTerminal>> terminals;
    std::vector<std::unique_ptr<ComPortLink>> links;

    explicit SearchOnRealPorts(bool linked)
    {
        if (linked) {
            for (int n : kLinkedPorts) {
                terminals.push_back(std::make_unique<PseudoTerminal>());
                links.push_back(std::make_unique<ComPortLink>(n, configDir, terminals.back()->slavePath()));
            }
        }
    }

    // One search, run on Qt's loop as the program's own exec() would run it; the ports found.
    std::optional<PortSearchResult> search()
    {
        std::optional<PortSearchResult> found;
        QEventLoop loop;
        QObject observer;
        monitor.findPorts(&observer, [&](const PortSearchResult& result) {
            found = result;
            loop.quit();
        });
        QTimer::singleShot(kGuardMs, &loop, &QEventLoop::quit);
        if (!found)
            loop.exec();
        return found;
    }
};

void listAvailablePorts(benchmark::State& state)
{
    SearchOnRealPorts rig(state.range(0) != 0);
    std::size_t listed = 0;
    for (auto _ : state) {
        const std::optional<PortSearchResult> result = rig.search();
        if (!result) {
            state.SkipWithError("the search did not end");
            break;
        }
        listed = result->ports.size();
        state.PauseTiming();
        rig.dialogs.messages.clear();
        rig.dialogs.pointerChanges.clear();
        state.ResumeTiming();
    }
    state.counters["ports_listed"] = static_cast<double>(listed);
    if (state.range(0) != 0 && listed < std::size(kLinkedPorts))
        state.SkipWithError("a linked pseudo-terminal was not found");
}

} // namespace

BENCHMARK(listAvailablePorts)->ArgName("pty_links")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();
