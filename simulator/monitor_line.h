// Plays the emulated monitor on a pseudo-terminal: replies to what the program writes
// and sends what the monitor streams as each second passes.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

class MonitorEmulator;
class PseudoTerminal;

class MonitorLine : public QObject {
    Q_OBJECT
public:
    MonitorLine(MonitorEmulator& monitor, PseudoTerminal& terminal);

private:
    void answerProgram();
    void passTime();
    void scheduleNextSecond();

    MonitorEmulator& monitor_;
    PseudoTerminal& terminal_;
    QSocketNotifier readable_;
    QTimer secondTimer_;
    QElapsedTimer sinceStart_;
    qint64 secondsPassed_ = 0;
};
