#include "http/dashboard_server.h"

#include "history/history_store.h"
#include "history/history_time.h"
#include "history/reading_texts.h"
#include "http/api_query.h"
#include "http/bounded_tcp_server.h"
#include "http/history_response.h"
#include "http/prometheus_metrics.h"
#include "monitor/monitor.h"
#include "mqtt/state_payload.h"
#include "platform/clock.h"
#include "settings/settings_values.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QUrlQuery>
#include <algorithm>

namespace {

using Method = QHttpServerRequest::Method;
using Status = QHttpServerResponder::StatusCode;

QHttpServerResponse json(const std::string& body, Status status = Status::Ok)
{
    return QHttpServerResponse("application/json", QByteArray::fromStdString(body), status);
}

QHttpServerResponse error(const std::string& reason, Status status)
{
    return json(errorJson(reason), status);
}

void send(QHttpServerResponder& responder, const QHttpServerResponse& response)
{
    response.write(std::move(responder));
}

QueryItems queryItems(const QHttpServerRequest& request)
{
    QueryItems items;
    for (const auto& [name, value] : request.query().queryItems(QUrl::FullyDecoded))
        items.emplace_back(name.toStdString(), value.toStdString());
    return items;
}

QHttpServerResponse resource(const QString& name, const QByteArray& type)
{
    QFile file(QStringLiteral(":/dashboard/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return error("The program was built without its dashboard page.", Status::NotFound);
    return QHttpServerResponse(type, file.readAll());
}

} // namespace

DashboardServer::DashboardServer(const Monitor& monitor, HistoryStore& history, const SettingsValues& settings,
                                 const Clock& clock, QObject* parent)
    : QObject(parent), monitor_(monitor), history_(history), settings_(settings), clock_(clock),
      listener_(new BoundedTcpServer(this))
{
    addRoutes();
    connect(&monitor, &Monitor::readingsDecoded, this, &DashboardServer::takeReadings);
    for (const auto signal : {&Monitor::portOpened, &Monitor::portClosed, &Monitor::portLost})
        connect(&monitor, signal, this, &DashboardServer::refreshFeed);
    connect(&monitor, &Monitor::realTimeChanged, this, &DashboardServer::refreshFeed);
    // The "no packet for N seconds" line counts up while a dashboard watches.
    feedTimer_.setInterval(1000);
    connect(&feedTimer_, &QTimer::timeout, this, &DashboardServer::refreshFeed);
}

DashboardServer::~DashboardServer() = default;

void DashboardServer::start()
{
    stop();
    if (!settings_.HttpEnable)
        return;
    const bool localOnly = settings_.HttpLocalOnly;
    const auto port = static_cast<quint16>(settings_.HttpPort);
    if (listener_->listen(localOnly ? QHostAddress::LocalHost : QHostAddress::Any, port)) {
        // Bound once it listens: the HTTP server takes it over and serves every later listen.
        if (!http_.servers().contains(listener_))
            http_.bind(listener_);
        failureSaid_.clear();
        statusList_.addLine("Dashboard at http://" + std::string(localOnly ? "127.0.0.1" : "<this machine>") + ":"
                            + std::to_string(port) + "/" + (localOnly ? " (this computer only)." : "."));
        return;
    }
    const std::string reason = listener_->errorString().toStdString();
    const std::string line = "The dashboard cannot listen on port " + std::to_string(port) + ": " + reason
        + "; the rest of the program goes on without it.";
    if (line != failureSaid_)
        statusList_.addLine(line);
    failureSaid_ = line;
}

void DashboardServer::stop()
{
    listener_->close();
}

quint16 DashboardServer::port() const
{
    return listener_->isListening() ? listener_->serverPort() : 0;
}

void DashboardServer::addRoutes()
{
    // Nothing a client sends reaches the monitor or a setting: only GET is served.
    const auto get = [this](const char* path, auto handler) {
        http_.route(path, [handler](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
            if (request.method() != Method::Get) {
                send(responder, error("Only GET is served here; nothing can be changed.", Status::MethodNotAllowed));
                return;
            }
            handler(request, std::move(responder));
        });
    };
    const auto page = [get](const char* path, const char* file, const char* type) {
        get(path, [file, type](const QHttpServerRequest&, QHttpServerResponder&& responder) {
            send(responder, resource(QString::fromLatin1(file), type));
        });
    };
    page("/", "index.html", "text/html; charset=utf-8");
    page("/dashboard.js", "dashboard.js", "text/javascript; charset=utf-8");
    page("/dashboard.css", "dashboard.css", "text/css; charset=utf-8");
    get("/chart.js", [](const QHttpServerRequest&, QHttpServerResponder&& responder) {
        QFile file(QString::fromLatin1(kChartJsFile));
        if (!file.open(QIODevice::ReadOnly)) {
            send(responder, error("Chart.js is not installed (Debian package libjs-chart.js).", Status::NotFound));
            return;
        }
        send(responder, QHttpServerResponse("text/javascript; charset=utf-8", file.readAll()));
    });
    get("/api/v1/readings", [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        if (const std::string reason = unexpectedParameters(queryItems(request)); !reason.empty())
            send(responder, error(reason, Status::BadRequest));
        else if (!lastPacket_)
            send(responder, error("No packet has been decoded yet.", Status::ServiceUnavailable));
        else
            send(responder, json(readingsJson()));
    });
    get("/api/v1/status", [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        const std::string reason = unexpectedParameters(queryItems(request));
        send(responder, reason.empty() ? json(statusJson(facts())) : error(reason, Status::BadRequest));
    });
    get("/metrics", [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        if (const std::string reason = unexpectedParameters(queryItems(request)); !reason.empty()) {
            send(responder, error(reason, Status::BadRequest));
            return;
        }
        const StatusFacts now = facts();
        const std::string text = prometheusMetrics({.readings = lastPacket_ ? &monitor_.readings() : nullptr,
                                                    .lastPacket = lastPacket_,
                                                    .up = lastPacket_ && now.noData.empty(),
                                                    .packetsDecoded = now.packetsDecoded,
                                                    .packetsMissed = now.packetsMissed});
        send(responder, 
            QHttpServerResponse("text/plain; version=0.0.4; charset=utf-8", QByteArray::fromStdString(text)));
    });
    get("/api/v1/events", [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        if (const std::string reason = unexpectedParameters(queryItems(request)); !reason.empty()) {
            send(responder, error(reason, Status::BadRequest));
            return;
        }
        lastFeed_ = feedJson(facts());
        std::string first = EventStream::eventText("feed", lastFeed_);
        if (lastPacket_)
            first += EventStream::eventText("reading", readingsJson());
        events_.add(std::move(responder), first);
        feedTimer_.start();
    });
    get("/api/v1/chart", [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        const Checked<ChartRequest> checked = checkChartRequest(queryItems(request));
        if (!checked.request) {
            send(responder, error(checked.reason, Status::BadRequest));
            return;
        }
        const ChartRequest& chart = *checked.request;
        const EpochSeconds to = history_.now() + 1;
        const EpochSeconds from = to - chart.seconds;
        const EpochSeconds bucket = std::max<EpochSeconds>(1, (chart.seconds + chart.points - 1) / chart.points);
        const bool fromPackets = chart.seconds <= 3600;
        // The long ranges are drawn from the minutes: the one in progress is in them too.
        if (!fromPackets)
            history_.flush();
        const auto points = fromPackets ? history_.packetPower(from, to, bucket) : history_.power(from, to, bucket);
        send(responder, json(chartJson(chart.range, from, to, points)));
    });
    get("/api/v1/history", [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        const Checked<HistoryRequest> checked = checkHistoryRequest(queryItems(request), history_.now());
        if (!checked.request) {
            send(responder, error(checked.reason, Status::BadRequest));
            return;
        }
        // The minute in progress belongs in the answer, as in an export.
        if (checked.request->rows == HistoryRows::Minutes)
            history_.flush();
        HistoryResponse::start(std::move(responder), history_, *checked.request);
    });
    http_.setMissingHandler([](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        send(responder, error("Nothing is at " + request.url().path().toStdString()
                                         + "; the API is under /api/v1/ and the dashboard at /.",
                                     Status::NotFound));
    });
}

void DashboardServer::takeReadings(const LiveReadings& readings)
{
    lastPacket_ = epochOf(clock_.now());
    // The message is made only for someone who listens: most packets have no dashboard open.
    if (events_.listeners() > 0)
        events_.send("reading", statePayload(readings, isoText(*lastPacket_)));
    refreshFeed();
}

void DashboardServer::refreshFeed()
{
    if (events_.listeners() == 0) {
        feedTimer_.stop();
        return;
    }
    std::string feed = feedJson(facts());
    if (feed == lastFeed_)
        return;
    lastFeed_ = std::move(feed);
    events_.send("feed", lastFeed_);
}

StatusFacts DashboardServer::facts() const
{
    const bool portOpen = monitor_.portOpen();
    const bool realTimeOn = monitor_.state().RealTimeOn;
    FeedState feed{.portOpen = portOpen, .realTimeOn = realTimeOn};
    if (lastPacket_)
        feed.silentSeconds = epochOf(clock_.now()) - *lastPacket_;
    return {.version = KVO_VERSION,
            .portNumber = settings_.ComPortNum,
            .portOpen = portOpen,
            .realTimeOn = realTimeOn,
            .lastPacket = lastPacket_,
            .packetsDecoded = monitor_.packetsDecoded(),
            .packetsMissed = monitor_.packetsMissed(),
            .historyFile = history_.isOpen() ? history_.path().toStdString() : std::string(),
            .rate = settings_.Rate,
            .noData = noDataText(feed)};
}

std::string DashboardServer::readingsJson() const
{
    return statePayload(monitor_.readings(), isoText(*lastPacket_));
}
