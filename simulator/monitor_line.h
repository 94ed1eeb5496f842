// Plays the emulated monitor (on its cable or behind a dongle) on a pseudo-terminal:
// replies to what the program writes and sends what the monitor streams as each
// second passes.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

class LineDevice;
class PseudoTerminal;

class MonitorLine : public QObject {
    Q_OBJECT
public:
    // ticksPerSecond: how many of the monitor's seconds pass in one second of the run.
    MonitorLine(LineDevice& device, PseudoTerminal& terminal, int ticksPerSecond = 1);

private:
    void answerProgram();
    void passTime();
    void scheduleNextSecond();

    LineDevice& device_;
    PseudoTerminal& terminal_;
    QSocketNotifier readable_;
    QTimer secondTimer_;
    QElapsedTimer sinceStart_;
    qint64 tickMs_;
    qint64 secondsPassed_ = 0;
};
