// Round trips of GETALL to the resident TCP server over loopback while packets stream
// into the decoder, against a Qt echo server and a plain-socket echo server measured
// in the same run. The servers share the main thread's Qt event loop (the plain echo
// has its own thread); the client is a blocking socket on the benchmark thread.
#include "echo_servers.h"
#include "free_tcp_port.h"
#include "loopback_client.h"
#include "receiver_rig.h"

#include "platform/qt_server_socket.h"
#include "platform/system_locale.h"
#include "server/resident_server.h"
#include "settings/settings_values.h"
#include "simulator/monitor_emulator.h"

#include <QCoreApplication>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kRoundTrips = 20000;
constexpr int kWarmUpRoundTrips = 1000;
// Far more packets than the monitor's one a second, so the decoder is busy meanwhile.
constexpr int kPacketIntervalMs = 1;
const std::string kRequest = "GETALL\r";

using Clock = std::chrono::steady_clock;

// The program's receiver, decoder and TCP server, fed by the emulated monitor.
struct ServedMonitor {
    ReceiverRig rig;
    MonitorEmulator monitor;
    SettingsValues settings;
    QtServerSocket socket;
    ResidentServer server{socket, rig.events, {.settings = settings, .link = rig.state, .readings = rig.readings()},
                          systemNumberSymbols()};
    QTimer stream;
    std::atomic<int> packets{0};

    explicit ServedMonitor(int port)
    {
        rig.keepPosted = false;
        rig.keepFactorTexts = false;
        monitor.state().volts = 230;
        monitor.state().watts = {1500, 200};
        rig.state.RealTimeOn = true;
        settings.TCPportNum = port;
        server.MnuOpenSocket_Click();
        QObject::connect(&stream, &QTimer::timeout, [this] {
            monitor.advance(1);
            rig.deliver(monitor.packet());
            ++packets;
        });
        stream.start(kPacketIntervalMs);
    }

    bool listening() const { return socket.state() == socket_state::Listening; }
};

struct Figures {
    double medianUs = 0;
    double p99Us = 0;
    double perSecond = 0;
};

std::map<std::string, Figures> results;

double percentile(std::vector<double> values, double fraction)
{
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// One iteration is one request and its whole reply.
void roundTrips(benchmark::State& state, const std::string& name, int port, std::string_view replyEnd,
                const std::atomic<int>* packets)
{
    LoopbackClient client(port);
    for (int i = 0; i < kWarmUpRoundTrips && client.connected(); ++i)
        client.roundTrip(kRequest, replyEnd);
    if (!client.connected()) {
        state.SkipWithError("cannot connect");
        return;
    }
    const int packetsBefore = packets ? packets->load() : 0;
    std::vector<double> micros;
    micros.reserve(kRoundTrips);
    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        const Clock::time_point sent = Clock::now();
        if (!client.roundTrip(kRequest, replyEnd)) {
            state.SkipWithError("connection lost");
            return;
        }
        const std::chrono::duration<double> took = Clock::now() - sent;
        state.SetIterationTime(took.count());
        micros.push_back(took.count() * 1e6);
    }
    const std::chrono::duration<double> total = Clock::now() - start;
    const Figures figures{percentile(micros, 0.5), percentile(micros, 0.99),
                          static_cast<double>(micros.size()) / total.count()};
    results[name] = figures;
    state.counters["median_us"] = figures.medianUs;
    state.counters["p99_us"] = figures.p99Us;
    state.counters["requests/s"] = figures.perSecond;
    if (packets)
        state.counters["packets_decoded"] = packets->load() - packetsBefore;
    state.SetLabel(std::to_string(client.reply().size()) + "-byte reply");
}

void registerBenchmarks(const ServedMonitor& served, const QtEchoServer& qtEcho, const PlainEchoServer& plainEcho)
{
    auto add = [](const std::string& name, int port, std::string_view replyEnd, const std::atomic<int>* packets) {
        benchmark::RegisterBenchmark(name.c_str(),
                                     [=](benchmark::State& state) { roundTrips(state, name, port, replyEnd, packets); })
            ->Iterations(kRoundTrips)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    };
    add("BM_RoundTrip_QtEcho", qtEcho.port(), kRequest, nullptr);
    add("BM_RoundTrip_PlainEcho", plainEcho.port(), kRequest, nullptr);
    add("BM_RoundTrip_ResidentServer_GETALL", served.settings.TCPportNum, "\r\n", &served.packets);
}

void printRatios()
{
    const auto server = results.find("BM_RoundTrip_ResidentServer_GETALL");
    if (server == results.end())
        return;
    for (const char* echo : {"BM_RoundTrip_QtEcho", "BM_RoundTrip_PlainEcho"}) {
        const auto found = results.find(echo);
        if (found != results.end())
            std::printf("median round trip, resident server / %s: %.2f\n", echo,
                        server->second.medianUs / found->second.medianUs);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);

    ServedMonitor served(freeTcpPort());
    QtEchoServer qtEcho;
    PlainEchoServer plainEcho;
    if (!served.listening() || qtEcho.port() == 0 || plainEcho.port() == 0) {
        std::fprintf(stderr, "a server could not listen on the loopback interface\n");
        return 1;
    }
    registerBenchmarks(served, qtEcho, plainEcho);

    std::thread client([] {
        benchmark::RunSpecifiedBenchmarks();
        printRatios();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    });
    const int status = QCoreApplication::exec();
    client.join();
    benchmark::Shutdown();
    return status;
}
