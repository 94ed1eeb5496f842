// Latency of the MQTT state messages, and the service's processor time with
// publishing on: kvo7730d reads a monitor played here on a pseudo-terminal and
// publishes to a Mosquitto broker of the bench's own, read by a subscriber here. A
// packet's latency runs from the write of its last byte to the line to the arrival
// of the state message that carries its seconds counter. One run at one packet a
// second, one at forty (near the line's limit).
//
//   kvo7730-mqtt-bench [seconds per rate]      (default 20)
#include "mosquitto_broker.h"
#include "process_figures.h"
#include "scratch_environment.h"

#include "platform/com_port_path.h"
#include "simulator/com_port_link.h"
#include "simulator/line_device.h"
#include "simulator/monitor_emulator.h"
#include "simulator/pseudo_terminal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <mosquitto.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kComPort = 43;

// The monitor on the line, with the moment each packet's last byte was written.
class TimedLine : public QObject {
public:
    TimedLine(PseudoTerminal& terminal, MonitorEmulator& monitor)
        : terminal_(terminal), monitor_(monitor), cable_(monitor), readable_(terminal.masterDescriptor(), QSocketNotifier::Read)
    {
        connect(&readable_, &QSocketNotifier::activated, this,
                [this] { terminal_.write(cable_.receive(terminal_.readAvailable(), 0)); });
        second_.setTimerType(Qt::PreciseTimer);
        connect(&second_, &QTimer::timeout, this, &TimedLine::passSecond);
    }

    void setRate(int packetsPerSecond) { second_.start(1000 / packetsPerSecond); }

    // Seconds counter -> when its packet's last byte went out.
    std::map<std::uint32_t, Clock::time_point> sent;

private:
    void passSecond()
    {
        const auto before = monitor_.packetsSent();
        terminal_.write(cable_.tick(1));
        if (monitor_.packetsSent() > before)
            sent[monitor_.state().secondsCounter] = Clock::now();
    }

    PseudoTerminal& terminal_;
    MonitorEmulator& monitor_;
    CableLine cable_;
    QSocketNotifier readable_;
    QTimer second_;
};

// A subscriber on libmosquitto's own thread: seconds counter -> arrival of its state.
class StateSubscriber {
public:
    explicit StateSubscriber(int port)
    {
        mosquitto_lib_init();
        client_ = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(client_, [](mosquitto*, void* self, const mosquitto_message* message) {
            static_cast<StateSubscriber*>(self)->take(message);
        });
        mosquitto_connect(client_, "127.0.0.1", port, 30);
        mosquitto_subscribe(client_, nullptr, "kvo7730/+/state", 0);
        mosquitto_loop_start(client_);
    }
    ~StateSubscriber()
    {
        mosquitto_disconnect(client_);
        mosquitto_loop_stop(client_, false);
        mosquitto_destroy(client_);
    }

    std::map<std::uint32_t, Clock::time_point> arrivals()
    {
        const std::lock_guard lock(mutex_);
        return arrived_;
    }

private:
    void take(const mosquitto_message* message)
    {
        const auto now = Clock::now();
        const std::string payload(static_cast<const char*>(message->payload), static_cast<std::size_t>(message->payloadlen));
        const auto at = payload.find("\"seconds_counter\":");
        if (at == std::string::npos)
            return;
        const auto counter = static_cast<std::uint32_t>(std::stoul(payload.substr(at + 18)));
        const std::lock_guard lock(mutex_);
        arrived_.emplace(counter, now);
    }

    mosquitto* client_;
    std::mutex mutex_;
    std::map<std::uint32_t, Clock::time_point> arrived_;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void runFor(int milliseconds)
{
    QTimer::singleShot(milliseconds, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;

    MosquittoBroker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "mosquitto did not start\n");
        return 1;
    }
    QTemporaryDir config;
    writeScratchSettings(config.path(), {{"ComPort", QString::number(kComPort)}, {"ZigbeeVersion", "8"},
                                         {"StartupComIsOn", "True"}, {"StartupRTLisOn", "True"}, {"MqttEnable", "True"},
                                         {"MqttHost", "127.0.0.1"}, {"MqttPort", QString::number(broker.port())}});
    PseudoTerminal terminal;
    const ComPortLink link(kComPort, config.path().toStdString(), terminal.slavePath());
    MonitorState state;
    state.volts = 230;
    state.watts = {1500, 300};
    state.powerFactor = {0.9, 0.8};
    MonitorEmulator monitor(state, {}, {});
    TimedLine line(terminal, monitor);
    StateSubscriber subscriber(broker.port());

    QProcess service;
    service.setProcessEnvironment(scratchEnvironment(config.path()));
    service.setStandardErrorFile(QProcess::nullDevice());
    service.start(KVO_SERVICE_PATH, {});
    if (!service.waitForStarted(5000))
        return 1;

    line.setRate(1);
    // Real time starts a few seconds after the service; the first state shows it streams.
    for (int waited = 0; subscriber.arrivals().empty() && waited < 30; ++waited)
        runFor(1000);
    if (subscriber.arrivals().empty()) {
        std::fprintf(stderr, "no state message within 30 s\n");
        return 1;
    }

    std::printf("%d s per rate; latency from the packet's last byte written to its state message at a subscriber\n",
                seconds);
    std::printf("%-12s %8s %8s %12s %12s %14s\n", "packets/s", "sent", "arrived", "median (ms)", "p99 (ms)",
                "CPU (% core)");
    for (const int rate : {1, 40}) {
        line.setRate(rate);
        line.sent.clear();
        const long long startTicks = cpuTicks(service.processId());
        const auto start = Clock::now();
        runFor(seconds * 1000 + 500);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = 100.0 * static_cast<double>(cpuTicks(service.processId()) - startTicks)
            / static_cast<double>(::sysconf(_SC_CLK_TCK)) / elapsed;
        // The last packets' messages are still on their way.
        const auto sent = line.sent;
        runFor(200);
        const auto arrivals = subscriber.arrivals();
        std::vector<double> latencies;
        for (const auto& [counter, when] : sent) {
            const auto arrived = arrivals.find(counter);
            if (arrived != arrivals.end())
                latencies.push_back(std::chrono::duration<double, std::milli>(arrived->second - when).count());
        }
        std::printf("%-12d %8zu %8zu %12.3f %12.3f %14.3f\n", rate, sent.size(), latencies.size(),
                    percentile(latencies, 0.5), percentile(latencies, 0.99), cpu);
    }
    service.terminate();
    service.waitForFinished(5000);
    return 0;
}
