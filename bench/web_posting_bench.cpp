// Ten thousand posts in a row through the web-posting window with its log already
// full: the time per post, and the process's resident memory before and after.
#include "fake_clock.h"
#include "memory_settings_store.h"
#include "scripted_dialogs.h"

#include "link/program_state.h"
#include "platform/status_box.h"
#include "settings/persisted_settings.h"
#include "web/web_client.h"
#include "web/web_posting.h"
#include "web/web_request.h"

#include <QApplication>
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

struct PostingRig {
    FakeClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore store;
    ProgramState state;
    PersistedSettings settings{store, state};
    HeldStatusBox realTimeBox;
    int pushes = 0;
    WebClient client{[this](const std::string& webHost) {
                         return webRequestText(state.readings, {webHost, state.VexUser, clock.now(), {}});
                     },
                     [](const std::string&) {}};
    WebPosting posting{WebFrmParts{state, settings, dialogs, clock, realTimeBox, NumberSymbols{},
                                   PostActions{[] { return true; }, [this](const std::string&) { ++pushes; },
                                               [this] { client.connectTo(state.WebHost); }}}};
    double watts = 500;

    // A step and the packet that settles it: one post.
    void post()
    {
        watts = watts == 500 ? 1500 : 500;
        for (int packet = 0; packet < 2; ++packet) {
            state.readings.Watts1 = watts;
            posting.PostReadings();
        }
    }
};

struct Variant {
    bool webPostingOn;
    bool windowShown;
};

// The web request, when on, goes to a refused port; the events between packets
// (the refusals and the repaints among them) run after every post, as they would
// between packets.
void postWithTheLogFull(benchmark::State& state, Variant variant)
{
    auto rig = std::make_unique<PostingRig>();
    rig->state.AutoWriteLocal = 1;
    rig->state.VexWriteEnable = variant.webPostingOn;
    rig->state.WebHost = "127.0.0.1:" + std::to_string(closedPort());
    rig->state.readings.Volts = 230;
    if (variant.windowShown)
        rig->posting.MnuWritetoWeb_Click();
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
    state.counters["posts"] = static_cast<double>(rig->pushes);
    state.counters["time/post"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPosts,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["VmRSS_before_kB"] = before;
    state.counters["VmRSS_after_kB"] = after;
}

void BM_TenThousandPosts_LogFull_Hidden_WebOff(benchmark::State& state)
{
    postWithTheLogFull(state, {false, false});
}
BENCHMARK(BM_TenThousandPosts_LogFull_Hidden_WebOff)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TenThousandPosts_LogFull_Hidden_WebOn(benchmark::State& state)
{
    postWithTheLogFull(state, {true, false});
}
BENCHMARK(BM_TenThousandPosts_LogFull_Hidden_WebOn)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TenThousandPosts_LogFull_Shown_WebOn(benchmark::State& state)
{
    postWithTheLogFull(state, {true, true});
}
BENCHMARK(BM_TenThousandPosts_LogFull_Shown_WebOn)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
