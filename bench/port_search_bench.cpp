// The COM panel's "List Available Ports" on this machine's real serial ports: every
// number from 1 to 64 opened and closed in turn, then the rows filled. The user waits
// on it with the hourglass, so the whole click is timed: with no per-user port links
// (only what the fixed device names find) and with three pseudo-terminals linked as COM
// ports.
#include "fake_server_socket.h"
#include "fake_tray_icon.h"
#include "memory_settings_store.h"
#include "scripted_dialogs.h"

#include "app/program.h"
#include "connection/com_panel.h"
#include "mainwindow/main_window.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "simulator/com_port_link.h"
#include "simulator/pseudo_terminal.h"

#include <QAction>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// Spread over the three fixed ranges (USB, ACM, serial), as links would be.
constexpr int kLinkedPorts[] = {5, 21, 40};

struct PanelOnRealPorts {
    QTemporaryDir config;
    std::string configDir = config.path().toStdString();
    QtClock clock;
    QtEventLoop events;
    QtSerialPort port{configDir};
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    FakeServerSocket tcpserver;
    FakeTrayIcon tray;
    MainWindow window{tray};
    Program program{window, Platform{.companion = {.clock = clock,
                                                   .events = events,
                                                   .port = port,
                                                   .store = store,
                                                   .dialogs = dialogs,
                                                   .tcpserver = tcpserver},
                                     .tray = tray,
                                     .portFolders = {.configDir = configDir, .byIdFolder = "/dev/serial/by-id"}}};
    std::vector<std::unique_ptr<PseudoTerminal>> terminals;
    std::vector<std::unique_ptr<ComPortLink>> links;

    explicit PanelOnRealPorts(bool linked)
    {
        if (linked) {
            for (int n : kLinkedPorts) {
                terminals.push_back(std::make_unique<PseudoTerminal>());
                links.push_back(std::make_unique<ComPortLink>(n, configDir, terminals.back()->slavePath()));
            }
        }
        window.menuAction("MnuOPEN").trigger();
    }
    COMpanel& panel() { return *program.comPanel().window(); }
    int rows() { return panel().findChild<QListWidget*>("List1")->count(); }
};

void listAvailablePorts(benchmark::State& state)
{
    PanelOnRealPorts rig(state.range(0) != 0);
    for (auto _ : state) {
        rig.panel().Command3_Click();
        state.PauseTiming();
        rig.dialogs.messages.clear();
        rig.dialogs.pointerChanges.clear();
        state.ResumeTiming();
    }
    state.counters["ports_listed"] = rig.rows();
    if (state.range(0) != 0 && rig.rows() < static_cast<int>(std::size(kLinkedPorts)))
        state.SkipWithError("a linked pseudo-terminal was not found");
}

} // namespace

BENCHMARK(listAvailablePorts)->ArgName("pty_links")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();
