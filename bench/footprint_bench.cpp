// Resident memory and processor time of the service kvo7730d and of the windowed
// kvo7730 (its live readings window hidden, then shown), measured in one run: each on
// its own simulated monitor streaming one packet a second, then forty, each asked
// GETALL ten times a second by a TCP client.
//
//   kvo7730-footprint-bench [seconds] [other build folder]
// Seconds (at each rate) default to 60. With another build folder (an earlier version built elsewhere),
// its kvo7730d and kvo7730 run beside these in the same run, and the ratios compare them.
#include "loopback_client.h"
#include "process_figures.h"
#include "scratch_environment.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Subject {
    const char* name;
    QString program;
    int comPort;
    int tcpPort;
    bool readingsShown = false;
};

// One program with its own settings folder and simulated monitor.
class Running {
public:
    Running(const Subject& subject, int packetsPerSecond) : subject_(subject)
    {
        writeScratchSettings(config_.path(), {{"ComPort", QString::number(subject.comPort)},
                                              {"ZigbeeVersion", "8"},
                                              {"StartupComIsOn", "True"},
                                              {"StartupRTLisOn", "True"},
                                              {"StartupListen", "True"},
                                              {"TCPport", QString::number(subject.tcpPort)},
                                              {"ShowReadingsAtStart", subject.readingsShown ? "True" : "False"}});

        QProcessEnvironment environment = scratchEnvironment(config_.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        for (QProcess* process : {&simulator_, &program_}) {
            process->setProcessEnvironment(environment);
            process->setStandardErrorFile(QProcess::nullDevice());
        }
        simulator_.start(KVO_SIM_PATH, {"--com", QString::number(subject.comPort), "--rate",
                                        QString::number(packetsPerSecond), "--volts", "230", "--watts1", "1500",
                                        "--pf1", "0.9", "--watts2", "300", "--pf2", "0.8"});
        simulator_.waitForReadyRead(5000);
        program_.start(subject.program, {});
        program_.waitForStarted(5000);
    }
    ~Running()
    {
        for (QProcess* process : {&program_, &simulator_}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
        }
    }

    const Subject& subject() const { return subject_; }
    pid_t pid() const { return static_cast<pid_t>(program_.processId()); }

private:
    Subject subject_;
    QTemporaryDir config_;
    QProcess simulator_;
    QProcess program_;
};

// Connects once the program's server answers GETALL with channel 1's power.
std::unique_ptr<LoopbackClient> connectWhenStreaming(int tcpPort)
{
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        auto client = std::make_unique<LoopbackClient>(tcpPort);
        if (client->connected() && client->roundTrip("GETALL\r", "\r\n") && client->reply().starts_with("1500"))
            return client;
        QThread::msleep(250);
    }
    return nullptr;
}

struct Figures {
    double peakMegabytes = 0;
    double corePercent = 0;
    long roundTrips = 0;
};

// Runs every subject at once for `seconds` at one rate and prints its figures; false
// when a program does not serve readings.
bool measure(const std::vector<Subject>& subjects, int seconds, int packetsPerSecond, bool compared)
{
    std::vector<std::unique_ptr<Running>> running;
    std::vector<std::unique_ptr<LoopbackClient>> clients;
    for (const Subject& subject : subjects)
        running.push_back(std::make_unique<Running>(subject, packetsPerSecond));
    for (const auto& program : running) {
        clients.push_back(connectWhenStreaming(program->subject().tcpPort));
        if (!clients.back()) {
            std::fprintf(stderr, "%s does not serve readings on port %d\n", program->subject().name,
                         program->subject().tcpPort);
            return false;
        }
    }

    std::vector<Figures> figures(running.size());
    std::vector<long long> startTicks;
    for (const auto& program : running)
        startTicks.push_back(cpuTicks(program->pid()));
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    auto nextAsk = start;
    while (std::chrono::steady_clock::now() < end) {
        for (std::size_t i = 0; i < running.size(); ++i) {
            if (clients[i]->roundTrip("GETALL\r", "\r\n"))
                ++figures[i].roundTrips;
            figures[i].peakMegabytes = std::max(figures[i].peakMegabytes, residentMegabytes(running[i]->pid()));
        }
        nextAsk += std::chrono::milliseconds(100);
        std::this_thread::sleep_until(nextAsk);
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double ticksPerSecond = static_cast<double>(::sysconf(_SC_CLK_TCK));

    std::printf("%d s, %d packet(s) a second, GETALL ten times a second\n", seconds, packetsPerSecond);
    std::printf("%-26s %14s %14s %12s\n", "program", "peak RSS (MB)", "CPU (% core)", "round trips");
    for (std::size_t i = 0; i < running.size(); ++i) {
        figures[i].corePercent = 100.0 * static_cast<double>(cpuTicks(running[i]->pid()) - startTicks[i])
            / ticksPerSecond / elapsed;
        std::printf("%-26s %14.1f %14.3f %12ld\n", running[i]->subject().name, figures[i].peakMegabytes,
                    figures[i].corePercent, figures[i].roundTrips);
    }
    const auto ratios = [&](const char* what, std::size_t top, std::size_t bottom) {
        std::printf("%s: memory %.2f, CPU %.2f\n", what, figures[top].peakMegabytes / figures[bottom].peakMegabytes,
                    figures[bottom].corePercent > 0 ? figures[top].corePercent / figures[bottom].corePercent : 0.0);
    };
    ratios("windowed / service", 1, 0);
    ratios("live readings window shown / hidden", 2, 1);
    if (compared) {
        ratios("kvo7730d, this / other", 0, 3);
        ratios("kvo7730, this / other", 1, 4);
    }
    std::printf("\n");
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const QString other = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    std::vector<Subject> subjects = {{"kvo7730d", KVO_SERVICE_PATH, 41, 31741},
                                     {"kvo7730 (offscreen)", KVO_PROGRAM_PATH, 42, 31742},
                                     {"kvo7730, readings shown", KVO_PROGRAM_PATH, 43, 31743, true}};
    if (!other.isEmpty()) {
        subjects.push_back({"other kvo7730d", other + "/service/kvo7730d", 44, 31744});
        subjects.push_back({"other kvo7730 (offscreen)", other + "/app/kvo7730", 45, 31745});
    }
    for (const int packetsPerSecond : {1, 40}) {
        if (!measure(subjects, seconds, packetsPerSecond, !other.isEmpty()))
            return 1;
    }
    return 0;
}
