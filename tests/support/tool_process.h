// Programs of the package run by a test in a scratch home: the configuration, data and
// runtime folders all inside one temporary folder.
//
// Header-only; needs a Qt application object for nothing but QProcess's own waits.
#pragma once

#include "scratch_environment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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
