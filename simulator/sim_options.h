// The command line of kvo7730-sim: the monitor's readings, its faults and the COM link.
#pragma once

#include "simulator/monitor_emulator.h"
#include "simulator/zigbee_dongle.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

struct SimOptions {
    // The starting state; realTimeOn is set by --realtime-on.
    MonitorState state;
    ResponseMode responses;
    StreamFaults faults;
    PowerStep step;
    // A ZigBee dongle in front of the monitor, when set.
    std::optional<DongleSettings> dongle;
    // Link the terminal as this COM port number.
    std::optional<int> comPort;
    // Of this instance (empty: the default one).
    std::string instance;
    // Packets a second while real time is on: the monitor's clock runs this much faster.
    int rate = 1;
};

struct SimCommandLine {
    // Filled when the arguments are valid and neither help nor version was asked for.
    std::optional<SimOptions> options;
    // --help or --version: the message is their answer, for standard output.
    bool helpRequested = false;
    // What went wrong with the arguments, or the answer to --help or --version.
    QString message;
};

// Reads the arguments (the program name first, as in QCoreApplication::arguments()).
SimCommandLine parseSimCommandLine(const QStringList& arguments);
