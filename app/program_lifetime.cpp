#include "app/program_lifetime.h"

#include "app/program.h"
#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

void tieToApplication(Program& program, TerminationSignals& stopSignals)
{
    // exit() rather than quit(): no window can refuse it, as one that hides instead of
    // closing would.
    QObject::connect(&program, &Program::finished, qApp, [] { QCoreApplication::exit(0); });
    QObject::connect(&stopSignals, &TerminationSignals::received, &program, &Program::Form_Unload);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &program, &Program::unloadNow);
    if (auto* gui = qobject_cast<QGuiApplication*>(qApp))
        QObject::connect(gui, &QGuiApplication::commitDataRequest, &program,
                         [&program] { program.companion().saveSettings(); });
}

int runProgram(Program& program)
{
    program.Form_Load();
    // Ended during start-up: exit() before the loop runs would be forgotten by exec().
    if (program.ended())
        return 0;
    return QCoreApplication::exec();
}

int refuseToStart(const QString& reason)
{
    constexpr int kRefusedStatus = 3;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("KVO-7730"), reason, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("StartRefused"));
    QObject::connect(&box, &QMessageBox::finished, qApp, [] { QCoreApplication::exit(kRefusedStatus); });
    box.open();
    return QCoreApplication::exec();
}
