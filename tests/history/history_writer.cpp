// A process that writes the history without end, a minute of packets at a time on a
// fast fake clock, and says each minute written: the file-survives-a-kill test kills it.
//
//   history_writer <file>
#include "fake_clock.h"
#include "recording_status_list.h"

#include "history/history_store.h"
#include "link/live_readings.h"

#include <QCoreApplication>
#include <iostream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    FakeClock clock;
    RecordingStatusList report;
    HistoryStore store(clock, report);
    QObject::connect(&store, &HistoryStore::minuteWritten, [](const MinuteRow& row) {
        std::cout << row.time << std::endl;
    });
    store.open(QString::fromLocal8Bit(argv[1]));
    if (!store.isOpen())
        return 1;
    LiveReadings readings;
    for (;;) {
        readings.Watts1 += 1;
        readings.TotalWs1 += readings.Watts1;
        store.record(readings);
        clock.advanceMs(1000);
    }
}
