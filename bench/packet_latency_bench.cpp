// How long a packet takes from the serial line to the TCP server: a simulated monitor on
// a pseudo-terminal notes when it writes each packet's last byte, the program under test
// (its real port class, decoder and server) reads it, and a client on loopback asks
// "GETSEC" back to back; a packet's latency ends with the first reply that shows its
// seconds counter. Each program runs in turn, on its own terminal.
//
//   kvo7730-latency-bench [packets] [packets a second] [other build folder]
// Defaults: 400 packets at 40 a second. With another build folder (an earlier version
// built elsewhere), its programs run after these, for a before-and-after in one run.
#include "loopback_client.h"
#include "scratch_environment.h"
#include "timed_line.h"

#include "simulator/com_port_link.h"
#include "simulator/monitor_emulator.h"
#include "simulator/monitor_line.h"
#include "simulator/pseudo_terminal.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr int kComPort = 46;
constexpr int kTcpPort = 31746;

struct Latencies {
    std::vector<double> ms;
    bool served = false;
};

// Polls GETSEC until `packets` new counters have been seen, or the time is up.
void poll(const TimedLine& line, int packets, std::chrono::seconds limit, Latencies& out)
{
    const auto deadline = Clock::now() + limit;
    std::optional<LoopbackClient> client;
    while (Clock::now() < deadline) {
        client.emplace(kTcpPort);
        if (client->connected() && client->roundTrip("GETSEC\r", "\r\n"))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::string last = client && client->connected() ? client->reply() : std::string();
    while (static_cast<int>(out.ms.size()) < packets && Clock::now() < deadline) {
        if (!client->roundTrip("GETSEC\r", "\r\n"))
            return;
        out.served = true;
        const auto answered = Clock::now();
        if (client->reply() == last)
            continue;
        last = client->reply();
        const auto sent = line.sentAt(static_cast<std::uint32_t>(std::strtoul(last.c_str(), nullptr, 10)));
        if (sent)
            out.ms.push_back(std::chrono::duration<double, std::milli>(answered - *sent).count());
    }
}

Latencies measure(const QString& program, int packets, int rate)
{
    QTemporaryDir config;
    writeScratchSettings(config.path(), {{"ComPort", QString::number(kComPort)},
                                         {"ZigbeeVersion", "8"},
                                         {"StartupComIsOn", "True"},
                                         {"StartupRTLisOn", "True"},
                                         {"StartupListen", "True"},
                                         {"TCPport", QString::number(kTcpPort)},
                                         {"ShowReadingsAtStart", "False"}});

    PseudoTerminal terminal;
    ComPortLink link(kComPort, config.path().toStdString(), terminal.slavePath());
    MonitorState state;
    state.volts = 230;
    state.watts = {1500, 300};
    state.powerFactor = {0.9, 0.8};
    MonitorEmulator monitor(state, ResponseMode{}, StreamFaults{});
    TimedLine line(monitor);
    MonitorLine monitorLine(line, terminal, rate);

    QProcess process;
    QProcessEnvironment environment = scratchEnvironment(config.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, {});

    Latencies latencies;
    const std::chrono::seconds limit(30 + 2 * packets / rate);
    std::thread client([&] {
        poll(line, packets, limit, latencies);
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    client.join();
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    return latencies;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int packets = argc > 1 ? std::max(10, std::atoi(argv[1])) : 400;
    const int rate = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 44) : 40;
    const QString other = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    std::vector<std::pair<QString, QString>> subjects = {{"kvo7730d", KVO_SERVICE_PATH},
                                                         {"kvo7730 (offscreen)", KVO_PROGRAM_PATH}};
    if (!other.isEmpty()) {
        subjects.emplace_back("other kvo7730d", other + "/service/kvo7730d");
        subjects.emplace_back("other kvo7730 (offscreen)", other + "/app/kvo7730");
    }

    std::printf("%d packets at %d a second, GETSEC back to back\n", packets, rate);
    std::printf("%-26s %10s %10s %10s %10s\n", "program", "packets", "median ms", "p99 ms", "worst ms");
    std::vector<double> medians;
    for (const auto& [name, program] : subjects) {
        const Latencies latencies = measure(program, packets, rate);
        if (latencies.ms.empty()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name),
                         latencies.served ? "no packet reached the server" : "the server never answered");
            return 1;
        }
        medians.push_back(percentile(latencies.ms, 0.5));
        std::printf("%-26s %10zu %10.3f %10.3f %10.3f\n", qPrintable(name), latencies.ms.size(), medians.back(),
                    percentile(latencies.ms, 0.99), *std::max_element(latencies.ms.begin(), latencies.ms.end()));
        std::fflush(stdout);
    }
    if (!other.isEmpty())
        std::printf("median, this / other: kvo7730d %.2f, kvo7730 %.2f\n", medians[0] / medians[2],
                    medians[1] / medians[3]);
    return 0;
}
