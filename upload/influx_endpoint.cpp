// InfluxDB answers a write with 204 and nothing else; a failure carries a JSON body with
// "error" (version 1) or "message" (version 2), which is what a person needs to read.
#include "upload/influx_endpoint.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

namespace {

std::string serverMessage(std::string_view body)
{
    const QByteArray bytes(body.data(), static_cast<qsizetype>(body.size()));
    const QJsonObject json = QJsonDocument::fromJson(bytes).object();
    for (const char* key : {"error", "message"}) {
        if (const QString text = json.value(QLatin1String(key)).toString(); !text.isEmpty())
            return text.toStdString();
    }
    constexpr qsizetype kLongest = 200;
    return QString::fromUtf8(bytes).simplified().left(kLongest).toStdString();
}

} // namespace

InfluxEndpoint influxEndpoint(const InfluxSettings& settings)
{
    const QUrl base(QString::fromStdString(settings.InfluxUrl));
    QUrl url = base;
    QUrlQuery query;
    InfluxEndpoint endpoint;
    const std::string server = base.toDisplayString(QUrl::RemoveUserInfo | QUrl::StripTrailingSlash).toStdString();
    if (settings.InfluxApi == 2) {
        url.setPath(base.path() + QStringLiteral("/api/v2/write"));
        query.addQueryItem(QStringLiteral("org"), QString::fromStdString(settings.InfluxOrg));
        query.addQueryItem(QStringLiteral("bucket"), QString::fromStdString(settings.InfluxBucket));
        endpoint.authorization = "Token " + QByteArray::fromStdString(settings.InfluxToken);
        endpoint.destination = server + " v2 " + settings.InfluxOrg + "/" + settings.InfluxBucket;
        endpoint.displayName = server + " (bucket " + settings.InfluxBucket + ")";
    } else {
        url.setPath(base.path() + QStringLiteral("/write"));
        query.addQueryItem(QStringLiteral("db"), QString::fromStdString(settings.InfluxDatabase));
        if (!settings.InfluxUser.empty())
            endpoint.authorization
                = "Basic " + QByteArray::fromStdString(settings.InfluxUser + ":" + settings.InfluxPassword).toBase64();
        endpoint.destination = server + " v1 " + settings.InfluxDatabase;
        endpoint.displayName = server + " (database " + settings.InfluxDatabase + ")";
    }
    query.addQueryItem(QStringLiteral("precision"), QStringLiteral("s"));
    url.setQuery(query);
    endpoint.writeUrl = url;
    return endpoint;
}

InfluxAnswer influxAnswer(int httpStatus, std::string_view body, std::string_view reason)
{
    using Kind = InfluxAnswer::Kind;
    if (httpStatus == 0)
        return {Kind::RetryLater, std::string(reason)};
    if (httpStatus >= 200 && httpStatus < 300)
        return {Kind::Accepted, {}};
    std::string message = "HTTP " + std::to_string(httpStatus);
    if (const std::string text = serverMessage(body); !text.empty())
        message += ": " + text;
    const bool passing = httpStatus == 429 || httpStatus >= 500;
    return {passing ? Kind::RetryLater : Kind::Refused, message};
}
