// The dashboard's costs, in one run of kvo7730d on a simulated monitor:
//  - a packet's way from the serial line to the number changed in a headless browser
//    (each packet carries its own power, so the page's change names its packet);
//  - /api/v1/readings over HTTP beside GETALL over TCP, round trips back to back;
//  - 30 days of minute rows as JSON;
//  - the service's processor time and private memory at one packet a second, with the
//    HTTP server off, then on with ten dashboards' event streams open.
//
//   kvo7730-dashboard-bench [seconds for each CPU run, default 60]
#include "loopback_client.h"
#include "process_figures.h"
#include "scratch_environment.h"
#include "timed_line.h"

#include "history/history_file.h"
#include "simulator/com_port_link.h"
#include "simulator/pseudo_terminal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kComPort = 47;
constexpr int kTcpPort = 31747;
constexpr int kHttpPort = 31748;
using Wall = std::chrono::system_clock;

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5)];
}

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// 30 days of minute rows, written before the service opens the file.
void fillHistory(const QString& dataFolder)
{
    HistoryFile file(dataFolder + "/DARavev/history.sqlite", QStringLiteral("bench"));
    file.open("bench", [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    QSqlQuery insert(file.database());
    insert.exec(QStringLiteral("BEGIN"));
    insert.prepare(QStringLiteral("INSERT INTO minutes(time, packets, volts, watts1_avg, watts1_min, watts1_max,"
                                  " watts2_avg, watts2_min, watts2_max, energy_ws1, energy_ws2, kwh1, kwh2,"
                                  " imported_ws1, exported_ws1, imported_ws2, exported_ws2)"
                                  " VALUES (?, 60, 230.1, ?, ?, ?, 350.5, 340, 360, ?, ?, ?, ?, ?, 0, ?, 0)"));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (qint64 minute = 30 * 24 * 60; minute > 0; --minute) {
        const double watts = 1000 + static_cast<double>(minute % 500);
        const double ws = static_cast<double>(minute) * 60000;
        for (const QVariant& value : {QVariant(now - now % 60 - minute * 60), QVariant(watts), QVariant(watts - 50),
                                      QVariant(watts + 50), QVariant(ws), QVariant(ws / 4), QVariant(ws / 3.6e6),
                                      QVariant(ws / 1.44e7), QVariant(ws), QVariant(ws / 4)})
            insert.addBindValue(value);
        insert.exec();
    }
    insert.exec(QStringLiteral("COMMIT"));
}

// kvo7730d on its own terminal and settings, with the monitor streaming at `rate`.
class Service {
public:
    Service(const QString& folder, int rate, bool httpEnabled, std::function<void(MonitorState&)> beforePacket = {})
        : line_(monitor_, std::move(beforePacket)),
          link_(kComPort, folder.toStdString(), terminal_.slavePath()),
          monitorLine_(line_, terminal_, rate)
    {
        writeScratchSettings(folder, {{"ComPort", QString::number(kComPort)},
                                      {"ZigbeeVersion", "8"},
                                      {"StartupComIsOn", "True"},
                                      {"StartupRTLisOn", "True"},
                                      {"StartupListen", "True"},
                                      {"TCPport", QString::number(kTcpPort)},
                                      {"HttpPort", QString::number(kHttpPort)},
                                      {"HttpEnable", httpEnabled ? "True" : "False"}});
        process_.setProcessEnvironment(scratchEnvironment(folder));
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.start(KVO_SERVICE_PATH, {});
    }
    ~Service()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }

    qint64 pid() const { return process_.processId(); }

private:
    static MonitorState state()
    {
        MonitorState s;
        s.volts = 230;
        s.watts = {1500, 350};
        s.powerFactor = {0.9, 0.8};
        return s;
    }

    MonitorEmulator monitor_{state(), ResponseMode{}, StreamFaults{}};
    TimedLine line_;
    PseudoTerminal terminal_;
    ComPortLink link_;
    MonitorLine monitorLine_;
    QProcess process_;
};

// Runs the measurement on its own thread while the event loop drives the monitor.
void measureWhileStreaming(const std::function<void()>& measure)
{
    std::thread worker([&] {
        measure();
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    worker.join();
}

// A client once the server's answer to the probe holds `ready`, or none within 30 s.
std::unique_ptr<LoopbackClient> connectWhenReady(int port, std::string_view probe, std::string_view end,
                                                 std::string_view ready)
{
    for (int attempt = 0; attempt < 150; ++attempt) {
        auto client = std::make_unique<LoopbackClient>(port);
        if (client->connected() && client->roundTrip(probe, end) && client->reply().find(ready) != std::string::npos)
            return client;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return nullptr;
}

const char* const kReadingsRequest = "GET /api/v1/readings HTTP/1.1\r\nHost: bench\r\n\r\n";

void browserLatency(const QString& folder)
{
    std::mutex mutex;
    std::map<long, Wall::time_point> sentAt;
    long next = 1000;
    // Ten packets a second, each with its own power on channel 1.
    Service service(folder, 10, true, [&](MonitorState& state) {
        const std::lock_guard lock(mutex);
        state.watts[0] = static_cast<double>(++next);
        sentAt[next] = Wall::now();
    });
    std::vector<double> latencies;
    measureWhileStreaming([&] {
        if (!connectWhenReady(kHttpPort, kReadingsRequest, "}}", "ch1"))
            return;
        const std::string command = std::string(KVO_PROBE_PATH) + " http://127.0.0.1:" + std::to_string(kHttpPort)
            + "/ 30";
        FILE* probe = ::popen(command.c_str(), "r");
        long watts = 0;
        long long shownMs = 0;
        while (probe && std::fscanf(probe, "%ld %lld", &watts, &shownMs) == 2) {
            const std::lock_guard lock(mutex);
            const auto sent = sentAt.find(watts);
            if (sent != sentAt.end())
                latencies.push_back(static_cast<double>(shownMs)
                                    - std::chrono::duration<double, std::milli>(sent->second.time_since_epoch()).count());
        }
        if (probe)
            ::pclose(probe);
    });
    std::printf("serial line to the number in the browser: %zu packets, median %.1f ms, p99 %.1f ms\n",
                latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.99));
}

void roundTripsAndHistory(const QString& folder)
{
    fillHistory(folder);
    Service service(folder, 1, true);
    measureWhileStreaming([&] {
        auto http = connectWhenReady(kHttpPort, kReadingsRequest, "}}", "ch1");
        LoopbackClient tcp(kTcpPort);
        if (!http || !tcp.connected()) {
            std::fprintf(stderr, "the service did not answer\n");
            return;
        }
        std::vector<double> httpMs;
        std::vector<double> tcpMs;
        for (int i = 0; i < 500; ++i) {
            auto start = Clock::now();
            if (http->roundTrip(kReadingsRequest, "}}"))
                httpMs.push_back(msSince(start));
            start = Clock::now();
            if (tcp.roundTrip("GETALL\r", "\r\n"))
                tcpMs.push_back(msSince(start));
        }
        std::printf("round trip, median: /api/v1/readings %.3f ms, GETALL %.3f ms (%zu and %zu asked)\n",
                    percentile(httpMs, 0.5), percentile(tcpMs, 0.5), httpMs.size(), tcpMs.size());

        const qint64 from = QDateTime::currentSecsSinceEpoch() - 30 * 86400 - 60;
        const std::string request = "GET /api/v1/history?from=" + std::to_string(from) + " HTTP/1.1\r\nHost: bench\r\n\r\n";
        std::vector<double> historyMs;
        std::size_t bytes = 0;
        for (int i = 0; i < 5; ++i) {
            const auto start = Clock::now();
            if (http->roundTrip(request, "]}\n\r\n0\r\n\r\n"))
                historyMs.push_back(msSince(start));
            bytes = http->reply().size();
        }
        std::printf("30 days of minute rows as JSON: median %.1f ms, worst %.1f ms, %.1f MB\n",
                    percentile(historyMs, 0.5), percentile(historyMs, 1.0), static_cast<double>(bytes) / 1e6);
    });
}

void footprint(const QString& folder, bool httpEnabled, int listeners, int seconds)
{
    Service service(folder, 1, httpEnabled);
    measureWhileStreaming([&] {
        if (!connectWhenReady(kTcpPort, "GETALL\r", "\r\n", "")) {
            std::fprintf(stderr, "the service did not answer\n");
            return;
        }
        std::vector<std::unique_ptr<LoopbackClient>> streams;
        for (int i = 0; i < listeners; ++i) {
            streams.push_back(std::make_unique<LoopbackClient>(kHttpPort));
            streams.back()->send("GET /api/v1/events HTTP/1.1\r\nHost: bench\r\n\r\n");
        }
        const long long ticksBefore = cpuTicks(service.pid());
        std::size_t received = 0;
        for (int tenth = 0; tenth < seconds * 10; ++tenth) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            for (auto& stream : streams)
                received += stream->drain();
        }
        const double cpu = 100.0 * static_cast<double>(cpuTicks(service.pid()) - ticksBefore)
            / static_cast<double>(::sysconf(_SC_CLK_TCK)) / seconds;
        std::printf("HTTP server %-3s %2d event streams: CPU %.3f %% of a core, private memory %.1f MB, "
                    "resident %.1f MB (%zu bytes pushed)\n",
                    httpEnabled ? "on," : "off,", listeners, cpu, privateMegabytes(service.pid()),
                    residentMegabytes(service.pid()), received);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const auto run = [](auto step) {
        QTemporaryDir folder;
        step(folder.path());
    };
    run([](const QString& folder) { browserLatency(folder); });
    run([](const QString& folder) { roundTripsAndHistory(folder); });
    run([seconds](const QString& folder) { footprint(folder, false, 0, seconds); });
    run([seconds](const QString& folder) { footprint(folder, true, 10, seconds); });
    return 0;
}
