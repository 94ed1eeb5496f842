// The HTTP server of the program: the dashboard page, the JSON API, the live events and
// the Prometheus metrics, all read-only, on the program's one event loop.
#pragma once

#include "http/api_json.h"
#include "http/event_stream.h"
#include "platform/observable_status.h"

#include <QHttpServer>
#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

class BoundedTcpServer;
class Clock;
class HistoryStore;
class Monitor;
struct LiveReadings;
struct SettingsValues;

class DashboardServer : public QObject {
    Q_OBJECT

public:
    // Where Debian's package libjs-chart.js puts Chart.js, which the page draws with.
    static constexpr const char* kChartJsFile = "/usr/share/javascript/chart.js/chart.min.js";

    DashboardServer(const Monitor& monitor, HistoryStore& history, const SettingsValues& settings, const Clock& clock,
                    QObject* parent = nullptr);
    ~DashboardServer() override;

    // Listens with the settings of this moment when the server is on; called again after
    // they changed, it closes and listens anew. A port that cannot be had is said once.
    void start();
    void stop();

    // The port listened on; 0 when not listening.
    quint16 port() const;

    const ObservableStatusList& statusList() const { return statusList_; }

private:
    void addRoutes();
    void takeReadings(const LiveReadings& readings);
    // Sends the feed line to the dashboards when it changed.
    void refreshFeed();
    StatusFacts facts() const;
    std::string readingsJson() const;

    const Monitor& monitor_;
    HistoryStore& history_;
    const SettingsValues& settings_;
    const Clock& clock_;
    QHttpServer http_;
    // Handed to the HTTP server at its first listen.
    BoundedTcpServer* listener_;
    EventStream events_;
    QTimer feedTimer_;
    std::string lastFeed_;
    std::optional<EpochSeconds> lastPacket_;
    ObservableStatusList statusList_;
    // The failure said last, so that the same one is not said again at each start.
    std::string failureSaid_;
};
