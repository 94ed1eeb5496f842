// The program as a service: the program without windows, its reports on the console,
// started from the start-up options and ended by a termination request.
#pragma once

#include "companion/companion.h"
#include "instance/instance_run.h"
#include "service/console_log.h"

#include <QObject>

class Service : public QObject {
    Q_OBJECT

public:
    Service(const CompanionPlatform& platform, ConsoleLog& log);

    // What the windowed program does from its start-up options: open the port, start
    // real time (node discovery included: nobody is there to press a menu), and let
    // the TCP server listen once data flows. First the instance is claimed with what its
    // settings name: false when that is refused (it runs already, or a running instance
    // uses the same port or topic), said in the log, and then nothing has started.
    bool start(InstanceRun& run);

    // Closes the port and the server and, after the server's pause, saves everything,
    // once; every request is announced once the save is done.
    void stop();
    // The event loop is going away: the end is finished now, its pause cut short.
    void stopNow();
    bool ended() const { return companion_.ended(); }

    Companion& companion() { return companion_; }

signals:
    // The run is over: the event loop is to end.
    void finished();

private:
    void afterTheSave();
    void reportTheEnd();

    ConsoleLog& log_;
    Companion companion_;
    ConsoleStatusList statusList_;
    ConsoleStatusBox portBox_;
    ConsoleStatusBox realTimeBox_;
    ConsoleStatusBox serverBox_;
};
