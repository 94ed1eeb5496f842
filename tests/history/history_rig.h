// A history store on a fake clock over a real SQLite file in a scratch folder.
#pragma once

#include "fake_clock.h"
#include "recording_status_list.h"

#include "history/history_store.h"
#include "link/live_readings.h"

#include <QTemporaryDir>

struct HistoryRig {
    FakeClock clock;
    RecordingStatusList report;
    QTemporaryDir folder;
    QString path = folder.filePath("DARavev/history.sqlite");
    HistoryStore store{clock, report};

    HistoryRig() { store.open(path); }

    // One packet now, then a second passes.
    void packet(double watts1, double watts2, double totalWs1 = 0, double volts = 230)
    {
        LiveReadings r;
        r.Volts = volts;
        r.Watts1 = watts1;
        r.Watts2 = watts2;
        r.TotalWs1 = totalWs1;
        // Every total different, so that a column swapped on the way shows.
        r.Energy1 = {.importedWs = totalWs1 * 0.75, .exportedWs = totalWs1 * 0.25};
        r.Energy2 = {.importedWs = totalWs1 * 0.5, .exportedWs = totalWs1 * 0.125};
        store.record(r);
        clock.advanceMs(1000);
    }

    // The clock to the start of the next minute.
    void nextMinute() { clock.advanceMs(1000 * (60 - clock.now().second)); }
};
