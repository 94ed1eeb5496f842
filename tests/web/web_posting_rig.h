// Web posting as the program wires it, on scripted parts: the settings in memory, a
// fake clock, and a real resident server on a scripted socket for the trigger push.
//
// Header-only; a test that includes it links the web_posting library.
#pragma once

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_server_socket.h"
#include "memory_settings_store.h"

#include "link/link_state.h"
#include "link/live_readings.h"
#include "server/resident_server.h"
#include "settings/persisted_settings.h"
#include "web/web_posting_controller.h"

#include <QAbstractItemModel>
#include <QString>

struct WebPostingRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeServerSocket socket;
    MemorySettingsStore store;
    PersistedSettings settings{store};
    LinkState link;
    // The monitor's readings, which each packet changes before it is posted.
    LiveReadings readings;
    ResidentServer server{socket, events, {.settings = settings.values(), .link = link, .readings = readings},
                          NumberSymbols{}};
    WebPostingController posting{{.settings = settings,
                                  .link = link,
                                  .readings = readings,
                                  .clock = clock,
                                  .server = server,
                                  .symbols = NumberSymbols{}}};

    // One decoded packet with these channel powers.
    void packet(double watts1, double watts2 = 0)
    {
        readings.Watts1 = watts1;
        readings.Watts2 = watts2;
        posting.PostReadings(readings);
    }
    // Two packets: a step to the power, then the same power, which posts.
    void stepAndSettle(double watts1)
    {
        packet(watts1);
        packet(watts1);
    }

    // A TCP client connects to the resident server.
    void connectClient() { socket.requestConnection(1); }

    QAbstractItemModel& log() { return posting.log(); }
    int rows() { return log().rowCount(); }
    QString cell(int row, int column) { return log().index(row, column).data().toString(); }
};
