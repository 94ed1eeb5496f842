// kvo7730d: the companion program without a desktop, for a small board beside the
// monitor. It takes the same settings and COM port rules as the windowed program.
#include "common/package_info.h"
#include "instance/instance_files.h"
#include "instance/instance_run.h"
#include "platform/instance_name.h"
#include "platform/program_identity.h"
#include "platform/qt_server_socket.h"
#include "platform/system_platform.h"
#include "platform/termination_signals.h"
#include "service/service.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <iostream>

namespace {

// Another instance holds what this one's settings name, or this one runs already: starting
// again in a few seconds would change nothing (the unit does not restart on this status).
constexpr int kClaimRefusedStatus = 3;
constexpr int kUsageStatus = 2;

} // namespace

int main(int argc, char* argv[])
{
    identifyProgram(QStringLiteral("kvo7730d"));
    QCoreApplication app(argc, argv);
    TerminationSignals stopSignals;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a KVO-7730 energy monitor on a serial port and serves its readings over TCP, without a desktop.\n"
        "It uses the settings of the windowed program kvo7730 (application \"DARavev\", section \"startup\"):\n"
        "StartupComIsOn opens the port, StartupRTLisOn starts real time, StartupListen lets the TCP server\n"
        "listen (\"TCPport\", default 1234); MqttEnable publishes the readings to the MQTT broker MqttHost.\n"
        "Reports go to standard error. SIGTERM, SIGINT or SIGHUP\n"
        "saves the settings and counters and ends the program. An instance that runs already, or one that\n"
        "would share a COM port, a TCP port, the dashboard's port or an MQTT topic with a running instance,\n"
        "is refused with exit status 3."));
    addCommonOptions(parser);
    addInstanceOption(parser);
    parser.process(app);
    applyCommonOptions(parser);
    const InstanceChoice choice = chosenInstance(parser);
    if (choice.problem) {
        std::fputs(qPrintable(*choice.problem + '\n'), stderr);
        return kUsageStatus;
    }

    SystemPlatform system(choice.instance);
    ConsoleLog log(system.clock, std::cerr);
    ConsoleDialogs dialogs(log);
    QtServerSocket tcpserver;
    // Held until everything else has gone, the last save included.
    InstanceRun run(choice.instance, "kvo7730d");

    Service service({.clock = system.clock,
                     .events = system.events,
                     .port = system.port,
                     .store = system.store,
                     .dialogs = dialogs,
                     .tcpserver = tcpserver,
                     .historyFile = instanceHistoryFile(choice.instance)},
                    log);
    QObject::connect(&service, &Service::finished, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&stopSignals, &TerminationSignals::received, &service, &Service::stop);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &service, &Service::stopNow);

    log.line(choice.instance.empty() ? std::string("kvo7730d " KVO_VERSION " started.")
                                     : "kvo7730d " KVO_VERSION " started, " + instanceLabel(choice.instance) + ", settings in "
                                         + system.store.location() + ".");
    if (!service.start(run))
        return kClaimRefusedStatus;
    // Ended during start-up: exit() before the loop runs would be forgotten by exec().
    if (service.ended())
        return 0;
    return app.exec();
}
