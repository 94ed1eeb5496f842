// The InfluxDB uploader's texts: the lines of a row, the write address with its
// credentials, how an answer is taken, and the check of the options window's tab.
#include "settings/influx_option_fields.h"
#include "upload/influx_endpoint.h"
#include "upload/influx_line_protocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(InfluxLines, aPacketIsOneLinePerChannelAtItsOwnSecond_withEveryValueAsTheHistoryHoldsIt)
{
    const PacketRow row{.time = 1765276800, .volts = 231.4, .watts1 = 1500, .watts2 = -350.5, .amps1 = 6.5,
                        .amps2 = 1.52, .powerFactor1 = 0.92, .powerFactor2 = 0.1, .energyWs1 = 3.6e6,
                        .energyWs2 = 7200, .kWh1 = 1, .kWh2 = 0.002, .importedWs1 = 3.6e6, .exportedWs1 = 0,
                        .importedWs2 = 0, .exportedWs2 = 7200};
    std::string body;
    appendPacketLines(body, row, "COM9");
    EXPECT_EQ(body,
              "kvo7730,channel=1,port=COM9 volts=231.4,watts=1500,amps=6.5,power_factor=0.92,kwh=1,"
              "energy_ws=3600000,imported_ws=3600000,exported_ws=0 1765276800\n"
              "kvo7730,channel=2,port=COM9 volts=231.4,watts=-350.5,amps=1.52,power_factor=0.1,kwh=0.002,"
              "energy_ws=7200,imported_ws=0,exported_ws=7200 1765276800\n");
}

TEST(InfluxLines, aMinuteCarriesItsAveragesExtremesAndPacketCount_andAValueThatIsNoNumberIsLeftOut)
{
    const MinuteRow row{.time = 1765276860, .packets = 60, .averageVolts = 229.95,
                        .channel1 = {1234.5678901234, 100, 2000}, .channel2 = {1, 0, 2},
                        .energyWs1 = 1e12, .energyWs2 = std::numeric_limits<double>::quiet_NaN(),
                        .kWh1 = 277777.77777777775, .kWh2 = 0};
    std::string body;
    appendMinuteLines(body, row, "COM 1,a=b");
    EXPECT_EQ(body,
              "kvo7730,channel=1,port=COM\\ 1\\,a\\=b volts=229.95,watts=1234.5678901234,watts_min=100,"
              "watts_max=2000,kwh=277777.77777777775,energy_ws=1e+12,imported_ws=0,exported_ws=0,"
              "packets=60i 1765276860\n"
              "kvo7730,channel=2,port=COM\\ 1\\,a\\=b volts=229.95,watts=1,watts_min=0,watts_max=2,kwh=0,"
              "imported_ws=0,exported_ws=0,packets=60i 1765276860\n");
}

TEST(InfluxEndpoint, eachApiWritesToItsOwnPathWithItsCredentials_andNamesNoSecretOutsideTheHeader)
{
    InfluxSettings v1{.InfluxUrl = "https://db.example.org:8086/influx", .InfluxApi = 1,
                      .InfluxDatabase = "home energy", .InfluxUser = "kvo", .InfluxPassword = "s3cret"};
    const InfluxEndpoint one = influxEndpoint(v1);
    EXPECT_EQ(one.writeUrl.toString(QUrl::FullyEncoded).toStdString(),
              "https://db.example.org:8086/influx/write?db=home%20energy&precision=s");
    EXPECT_EQ(one.authorization, "Basic " + QByteArray("kvo:s3cret").toBase64());
    EXPECT_EQ(one.displayName, "https://db.example.org:8086/influx (database home energy)");

    v1.InfluxUser.clear();
    v1.InfluxPassword.clear();
    EXPECT_TRUE(influxEndpoint(v1).authorization.isEmpty()) << "a server without authentication gets no header";
    EXPECT_EQ(influxEndpoint(v1).destination, one.destination) << "credentials do not make another destination";

    const InfluxSettings v2{.InfluxUrl = "http://127.0.0.1:8086", .InfluxApi = 2, .InfluxOrg = "home&co",
                            .InfluxBucket = "kvo", .InfluxToken = "tok=en"};
    const InfluxEndpoint two = influxEndpoint(v2);
    EXPECT_EQ(two.writeUrl.toString(QUrl::FullyEncoded).toStdString(),
              "http://127.0.0.1:8086/api/v2/write?org=home%26co&bucket=kvo&precision=s");
    EXPECT_EQ(two.authorization, "Token tok=en");
    EXPECT_EQ(two.displayName, "http://127.0.0.1:8086 (bucket kvo)");
    for (const InfluxEndpoint& e : {one, two}) {
        EXPECT_EQ(e.destination.find("s3cret"), std::string::npos);
        EXPECT_EQ(e.destination.find("tok=en"), std::string::npos);
        EXPECT_EQ(e.displayName.find("tok=en"), std::string::npos);
    }
    EXPECT_NE(one.destination, two.destination);
}

TEST(InfluxAnswer, onlyTooManyRequestsAndServerFailuresAreTriedAgain_otherRefusalsWaitForNewSettings)
{
    using Kind = InfluxAnswer::Kind;
    struct Case {
        int status;
        std::string body;
        std::string reason;
        Kind kind;
        std::string message;
    };
    const Case cases[] = {
        {204, "", "", Kind::Accepted, ""},
        {404, R"({"error":"database not found: \"nodb\""})", "Not Found", Kind::Refused,
         R"(HTTP 404: database not found: "nodb")"},
        {401, R"({"code":"unauthorized","message":"unauthorized access"})", "", Kind::Refused,
         "HTTP 401: unauthorized access"},
        {400, "  partial write:\n field type conflict  ", "", Kind::Refused, "HTTP 400: partial write: field type conflict"},
        {301, "", "", Kind::Refused, "HTTP 301"},
        {429, "", "", Kind::RetryLater, "HTTP 429"},
        {503, R"({"error":"engine: cache-max-memory-size exceeded"})", "", Kind::RetryLater,
         "HTTP 503: engine: cache-max-memory-size exceeded"},
        {0, "", "Connection refused", Kind::RetryLater, "Connection refused"},
    };
    for (const Case& c : cases) {
        const InfluxAnswer answer = influxAnswer(c.status, c.body, c.reason);
        EXPECT_EQ(answer.kind, c.kind) << c.status;
        EXPECT_EQ(answer.message, c.message) << c.status;
    }
}

TEST(InfluxTab, theFirstWrongBoxIsToldAndNothingIsSaved_aRightTabIsSavedTrimmed)
{
    using Box = InfluxVerdict::Box;
    const InfluxEntries v1{.enable = true, .url = " http://localhost:8086/ ", .api = 1, .database = " kvo7730 "};
    const InfluxEntries v2{.enable = true, .url = "https://eu-central-1-1.aws.cloud2.influxdata.com", .api = 2,
                           .org = "home", .bucket = "kvo", .token = "abc"};
    const auto with = [](InfluxEntries entries, auto change) {
        change(entries);
        return entries;
    };
    struct Case {
        InfluxEntries entries;
        Box box;
        std::string message;
    };
    const Case refusals[] = {
        {with(v1, [](auto& e) { e.url = ""; }), Box::Url,
         "Enter the address of the InfluxDB server, such as http://localhost:8086."},
        {with(v1, [](auto& e) { e.url = "localhost:8086"; }), Box::Url,
         "The InfluxDB address must begin with http:// or https:// and name a host, such as http://localhost:8086."},
        {with(v1, [](auto& e) { e.url = "ftp://localhost"; }), Box::Url,
         "The InfluxDB address must begin with http:// or https:// and name a host, such as http://localhost:8086."},
        {with(v1, [](auto& e) { e.url = "http://kvo:pw@localhost:8086"; }), Box::Url,
         "Put the user name and password in their own boxes, not in the address."},
        {with(v1, [](auto& e) { e.url = "http://localhost:8086/write?db=x"; }), Box::Url,
         "The InfluxDB address ends with its path, without \"?\" or \"#\"."},
        {with(v1, [](auto& e) { e.enable = false, e.url = "localhost"; }), Box::Url,
         "The InfluxDB address must begin with http:// or https:// and name a host, such as http://localhost:8086."},
        {with(v1, [](auto& e) { e.database = "  "; }), Box::Database, "Enter the name of the InfluxDB database."},
        {with(v1, [](auto& e) { e.password = "pw"; }), Box::User, "A password needs a user name."},
        {with(v2, [](auto& e) { e.org = ""; }), Box::Org, "Enter the InfluxDB organisation."},
        {with(v2, [](auto& e) { e.bucket = " "; }), Box::Bucket, "Enter the InfluxDB bucket."},
        {with(v2, [](auto& e) { e.token = ""; }), Box::Token, "Enter an InfluxDB API token that may write to the bucket."},
    };
    for (const Case& c : refusals) {
        const InfluxVerdict verdict = checkInfluxEntries(c.entries);
        EXPECT_FALSE(verdict.settings) << c.message;
        EXPECT_EQ(verdict.box, c.box) << c.message;
        EXPECT_EQ(verdict.message, c.message);
    }

    const InfluxVerdict saved = checkInfluxEntries(v1);
    ASSERT_TRUE(saved.settings) << saved.message;
    EXPECT_EQ(saved.settings->InfluxUrl, "http://localhost:8086");
    EXPECT_EQ(saved.settings->InfluxDatabase, "kvo7730");
    EXPECT_TRUE(checkInfluxEntries(v2).settings) << "version 2 needs no database";
    EXPECT_TRUE(checkInfluxEntries(with(v2, [](auto& e) { e.enable = false, e.token = ""; })).settings)
        << "a tab that is off may be left half filled";
}

} // namespace
