// What /proc tells of another process: the processor time it used and its memory.
#pragma once

#include <QtGlobal>

// User plus system time of the process, in clock ticks (0 when it cannot be read).
long long cpuTicks(qint64 pid);

// Its resident memory now, in megabytes (0 when it cannot be read).
double residentMegabytes(qint64 pid);

// Its private memory now (the pages no other process shares), in megabytes (0 when it cannot be read).
double privateMegabytes(qint64 pid);
