// How the program's run is tied to the application's: what ends it, what saves it.
#pragma once

#include <QString>

class Program;
class TerminationSignals;

// Whatever ends the run (the menu, the window, a termination signal, the application
// quitting), the shut-down sequence runs once and then every event loop ends; a
// desktop log-out, which may still be cancelled, only saves.
void tieToApplication(Program& program, TerminationSignals& stopSignals);

// The start-up, then the event loop until the run ends; the exit status.
int runProgram(Program& program);

// Instead of the run: the reason in a message box, then the end, with exit status 3.
int refuseToStart(const QString& reason);
