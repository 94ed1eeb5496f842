// Ten thousand posts in a row through web posting with its log already full, without
// the window, with it loaded hidden (as the program keeps it) and shown: the time per
// post, and the process's resident memory before and after.
#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_server_socket.h"
#include "memory_settings_store.h"
#include "scripted_dialogs.h"

#include "link/link_state.h"
#include "link/live_readings.h"
#include "server/resident_server.h"
#include "settings/persisted_settings.h"
#include "web/web_posting_controller.h"
#include "web/web_window_owner.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kPosts = 10000;
constexpr int kFullLog = 1000;

// VmRSS of /proc/self/status in kB; 0 where there is no such file.
double residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        double value = 0;
        if (key == "VmRSS:" && status >> value)
            return value;
        status.ignore(1024, '\n');
    }
    return 0;
}

// A port on 127.0.0.1 that nothing listens on: connections to it are refused.
quint16 closedPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// A connected TCP client that only counts the pushes, so that keeping them costs no memory.
class CountingClientSocket : public FakeServerSocket {
public:
    bool sendData(std::string_view) override
    {
        ++sends;
        return true;
    }

    int sends = 0;
};

enum class Window { None, Hidden, Shown };

struct PostingRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    CountingClientSocket socket;
    ScriptedDialogs dialogs;
    MemorySettingsStore store;
    PersistedSettings settings{store};
    LinkState link;
    LiveReadings readings;
    ResidentServer server{socket, events, {.settings = settings.values(), .link = link, .readings = readings},
                          NumberSymbols{}};
    WebPostingController posting{{.settings = settings,
                                  .link = link,
                                  .readings = readings,
                                  .clock = clock,
                                  .server = server,
                                  .symbols = NumberSymbols{}}};
    WebWindowOwner window{posting, settings, dialogs};
    double watts = 500;

    explicit PostingRig(Window shown)
    {
        socket.requestConnection(1);
        if (shown == Window::Shown)
            window.MnuWritetoWeb_Click();
        // As in the program: the first packet loads the window hidden.
        if (shown != Window::None)
            QObject::connect(&posting, &WebPostingController::readingsArrived, &posting, [this] { window.load(); });
    }

    // A step and the packet that settles it: one post.
    void post()
    {
        watts = watts == 500 ? 1500 : 500;
        for (int packet = 0; packet < 2; ++packet) {
            readings.Watts1 = watts;
            posting.PostReadings(readings);
        }
    }
};

struct Variant {
    bool webPostingOn;
    Window window;
};

// The web request, when on, goes to a refused port; the events between packets
// (the refusals and the repaints among them) run after every post, as they would
// between packets.
void postWithTheLogFull(benchmark::State& state, Variant variant)
{
    auto rig = std::make_unique<PostingRig>(variant.window);
    rig->settings.set(&SettingsValues::AutoWriteLocal, 1);
    rig->settings.set(&SettingsValues::VexWriteEnable, variant.webPostingOn);
    rig->settings.set(&SettingsValues::WebHost, "127.0.0.1:" + std::to_string(closedPort()));
    rig->readings.Volts = 230;
    for (int i = 0; i < kFullLog; ++i)
        rig->post();
    QCoreApplication::processEvents();
    const double before = residentKb();

    for (auto _ : state) {
        for (int i = 0; i < kPosts; ++i) {
            rig->post();
            QCoreApplication::processEvents();
        }
    }

    const double after = residentKb();
    state.counters["posts"] = static_cast<double>(rig->socket.sends);
    state.counters["time/post"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPosts,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["VmRSS_before_kB"] = before;
    state.counters["VmRSS_after_kB"] = after;
}

void BM_TenThousandPosts_LogFull_NoWindow_WebOn(benchmark::State& state)
{
    postWithTheLogFull(state, {true, Window::None});
}
BENCHMARK(BM_TenThousandPosts_LogFull_NoWindow_WebOn)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TenThousandPosts_LogFull_Hidden_WebOff(benchmark::State& state)
{
    postWithTheLogFull(state, {false, Window::Hidden});
}
BENCHMARK(BM_TenThousandPosts_LogFull_Hidden_WebOff)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TenThousandPosts_LogFull_Hidden_WebOn(benchmark::State& state)
{
    postWithTheLogFull(state, {true, Window::Hidden});
}
BENCHMARK(BM_TenThousandPosts_LogFull_Hidden_WebOn)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TenThousandPosts_LogFull_Shown_WebOn(benchmark::State& state)
{
    postWithTheLogFull(state, {true, Window::Shown});
}
BENCHMARK(BM_TenThousandPosts_LogFull_Shown_WebOn)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
