// The kvo7730-sim program started for a test with its own configuration folder; it is
// killed when the test ends, whatever the test's outcome.
//
// Header-only; needs a Qt application object for nothing but QProcess's own waits.
#pragma once

#include "scratch_environment.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class SimProcess {
public:
    // Starts the program and reads its first line, the pseudo-terminal's path.
    SimProcess(const QString& program, const QString& configDir, const QStringList& arguments)
    {
        process_.setProcessEnvironment(scratchEnvironment(configDir));
        process_.start(program, arguments);
        if (!process_.waitForStarted(5000))
            return;
        const QDeadlineTimer deadline(5000);
        while (!process_.canReadLine() && !deadline.hasExpired()
               && process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        }
        if (process_.canReadLine())
            devicePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }

    ~SimProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // True once the program has ended, waiting up to timeoutMs for it.
    bool ended(int timeoutMs)
    {
        return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
    }

    // Empty when the program did not start or printed no path.
    const QString& devicePath() const { return devicePath_; }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString devicePath_;
};
