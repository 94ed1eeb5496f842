// kvo7730-sim: a KVO-7730 monitor on a pseudo-terminal, optionally linked as a COM port.
#include "platform/com_port_path.h"
#include "platform/program_identity.h"
#include "simulator/com_port_link.h"
#include "simulator/monitor_emulator.h"
#include "simulator/monitor_line.h"
#include "simulator/zigbee_dongle.h"
#include "simulator/pseudo_terminal.h"
#include "simulator/sim_options.h"
#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char* argv[])
{
    identifyProgram(QStringLiteral("kvo7730-sim"));
    QCoreApplication app(argc, argv);
    const SimCommandLine commandLine = parseSimCommandLine(QCoreApplication::arguments());
    if (!commandLine.options) {
        std::fputs(qPrintable(commandLine.message + '\n'), commandLine.helpRequested ? stdout : stderr);
        return commandLine.helpRequested ? 0 : 2;
    }
    const SimOptions& options = *commandLine.options;

    try {
        TerminationSignals terminationSignals;
        QObject::connect(&terminationSignals, &TerminationSignals::received, &app, &QCoreApplication::quit);

        PseudoTerminal terminal;
        std::unique_ptr<ComPortLink> link;
        if (options.comPort)
            link = std::make_unique<ComPortLink>(*options.comPort, userConfigDir(), terminal.slavePath(), options.instance);

        // The first line is the device: whoever started us reads it to find the port.
        std::printf("%s\n", terminal.slavePath().c_str());
        if (link)
            std::printf("COM%d: %s\n", *options.comPort, link->path().c_str());
        std::fflush(stdout);

        MonitorEmulator monitor(options.state, options.responses, options.faults, options.step);
        std::unique_ptr<LineDevice> device;
        if (options.dongle)
            device = std::make_unique<ZigbeeDongle>(monitor, *options.dongle);
        else
            device = std::make_unique<CableLine>(monitor);
        MonitorLine line(*device, terminal, options.rate);
        const int status = QCoreApplication::exec();
        // For soak runs: what was sent, to hold against what the program decoded.
        std::fprintf(stderr, "kvo7730-sim: %lld packets sent.\n", static_cast<long long>(monitor.packetsSent()));
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kvo7730-sim: %s\n", error.what());
        return 1;
    }
}
