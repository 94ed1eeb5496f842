// Programs of the package run by a test in a scratch home (the configuration, data and
// runtime folders all inside one temporary folder), and a GETALL to one of them.
//
// Header-only; needs a Qt application object for nothing but QProcess's own waits.
#pragma once

#include "scratch_environment.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <csignal>

// The environment of a program that runs in home: the runtime folder too is its own, so
// the claims of its instances meet only those of the test's other programs.
inline QProcessEnvironment scratchHomeEnvironment(const QTemporaryDir& home)
{
    QDir(home.path()).mkpath("runtime");
    QFile::setPermissions(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = scratchEnvironment(home.path());
    environment.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
    return environment;
}

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program to its end (10 s at most).
inline ToolRun runTool(const QString& program, const QTemporaryDir& home, const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(scratchHomeEnvironment(home));
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(2000);
        run.err = "did not end within 10 s";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// A program of the package running until the test ends, when it is killed if still there.
class RunningProgram {
public:
    RunningProgram(const QString& program, const QProcessEnvironment& environment, const QStringList& arguments)
    {
        process_.setProcessEnvironment(environment);
        process_.start(program, arguments);
        process_.waitForStarted(5000);
    }
    ~RunningProgram()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    void signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
    QProcess& process() { return process_; }

    // Standard error until it holds the text (or the time is up).
    QString errorUntil(const QString& text, int withinMs)
    {
        const QDeadlineTimer deadline(withinMs);
        while (!error_.contains(text) && !deadline.hasExpired()) {
            process_.waitForReadyRead(100);
            error_ += QString::fromLocal8Bit(process_.readAllStandardError());
            if (process_.state() == QProcess::NotRunning) {
                error_ += QString::fromLocal8Bit(process_.readAllStandardError());
                break;
            }
        }
        return error_;
    }

private:
    QProcess process_;
    QString error_;
};

// One GETALL round trip; empty while the server does not answer yet.
inline QString getAll(int tcpPort)
{
    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(tcpPort));
    if (!client.waitForConnected(500))
        return {};
    client.write("GETALL\r");
    QByteArray reply;
    const QDeadlineTimer deadline(2000);
    while (!reply.endsWith("\r\n") && !deadline.hasExpired() && client.waitForReadyRead(200))
        reply += client.readAll();
    return QString::fromLatin1(reply);
}
