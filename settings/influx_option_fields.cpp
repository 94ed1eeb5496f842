// The InfluxDB tab's check: the first box in the tab's order that is wrong is the one told.
#include "settings/influx_option_fields.h"

#include "settings/option_fields.h"

#include <QUrl>

namespace {

InfluxVerdict refuse(InfluxVerdict::Box box, std::string message)
{
    return {.settings = std::nullopt, .message = std::move(message), .box = box};
}

} // namespace

std::optional<std::string> influxUrlProblem(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const QUrl url(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        || url.host().isEmpty())
        return "The InfluxDB address must begin with http:// or https:// and name a host, such as "
               "http://localhost:8086.";
    // A password in the address would end up in every status line that names the server.
    if (!url.userInfo().isEmpty())
        return "Put the user name and password in their own boxes, not in the address.";
    if (url.hasQuery() || url.hasFragment())
        return "The InfluxDB address ends with its path, without \"?\" or \"#\".";
    return std::nullopt;
}

InfluxVerdict checkInfluxEntries(const InfluxEntries& entries)
{
    using Box = InfluxVerdict::Box;
    InfluxSettings settings{.InfluxEnable = entries.enable,
                            .InfluxUrl = std::string(trimmedEntry(entries.url)),
                            .InfluxApi = entries.api,
                            .InfluxDatabase = std::string(trimmedEntry(entries.database)),
                            .InfluxUser = entries.user,
                            .InfluxPassword = entries.password,
                            .InfluxOrg = std::string(trimmedEntry(entries.org)),
                            .InfluxBucket = std::string(trimmedEntry(entries.bucket)),
                            .InfluxToken = std::string(trimmedEntry(entries.token)),
                            .InfluxResolution = entries.resolution};
    while (settings.InfluxUrl.ends_with('/'))
        settings.InfluxUrl.pop_back();
    if (settings.InfluxEnable && settings.InfluxUrl.empty())
        return refuse(Box::Url, "Enter the address of the InfluxDB server, such as http://localhost:8086.");
    if (const auto problem = influxUrlProblem(settings.InfluxUrl))
        return refuse(Box::Url, *problem);
    if (settings.InfluxApi != 1 && settings.InfluxApi != 2)
        return refuse(Box::Url, "The InfluxDB API is version 1 or 2.");
    if (settings.InfluxEnable && settings.InfluxApi == 1) {
        if (settings.InfluxDatabase.empty())
            return refuse(Box::Database, "Enter the name of the InfluxDB database.");
        if (settings.InfluxUser.empty() && !settings.InfluxPassword.empty())
            return refuse(Box::User, "A password needs a user name.");
    }
    if (settings.InfluxEnable && settings.InfluxApi == 2) {
        if (settings.InfluxOrg.empty())
            return refuse(Box::Org, "Enter the InfluxDB organisation.");
        if (settings.InfluxBucket.empty())
            return refuse(Box::Bucket, "Enter the InfluxDB bucket.");
        if (settings.InfluxToken.empty())
            return refuse(Box::Token, "Enter an InfluxDB API token that may write to the bucket.");
    }
    return {.settings = settings};
}

std::string_view resolutionText(UploadResolution resolution)
{
    return resolution == UploadResolution::Minute ? "minute" : "packet";
}

std::optional<UploadResolution> parseResolution(std::string_view text)
{
    if (text == "packet")
        return UploadResolution::Packet;
    if (text == "minute")
        return UploadResolution::Minute;
    return std::nullopt;
}
