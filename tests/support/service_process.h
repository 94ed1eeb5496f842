// The service kvo7730d started for a test with its own configuration folder; it is
// killed when the test ends, whatever the test's outcome.
//
// Header-only; needs a Qt application object for QProcess's own waits.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <csignal>

class ServiceProcess {
public:
    ServiceProcess(const QString& program, const QString& configDir)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", configDir);
        process_.setProcessEnvironment(environment);
        process_.start(program, {});
        process_.waitForStarted(5000);
    }
    ~ServiceProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    void signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
    QProcess& process() { return process_; }

private:
    QProcess process_;
};
