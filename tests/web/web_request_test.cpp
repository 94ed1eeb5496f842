// The web post request byte for byte: number texts, empty values, the date and time,
// the locale's symbols and the encoding of unsafe characters in the values.
#include "web/web_request.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const DateTime kNow{2026, 12, 8, 10, 15, 30};

std::string request(const LiveReadings& readings, std::string_view user = "****",
                    std::string_view host = "www.kvo7730.com", NumberSymbols symbols = {})
{
    return webRequestText(readings, {host, user, kNow, symbols});
}

std::string expected(std::string_view query, std::string_view host = "www.kvo7730.com")
{
    return "GET http://" + std::string(host) + "/Monitor/sendData.php?" + std::string(query) + " HTTP/1.1\r\n"
         + "Host: " + std::string(host) + "\r\n"
         + "Content-Type: application/x-www-form-urlencoded\r\n"
           "Content-Length: 0\r\n"
           "Connection: Keep-Alive\r\n"
           "\r\n";
}

// The query between "?" and " HTTP/1.1".
std::string queryOf(const std::string& text)
{
    const auto start = text.find('?') + 1;
    return text.substr(start, text.find(" HTTP/1.1") - start);
}

LiveReadings typicalReadings()
{
    LiveReadings r;
    r.Watts1 = 0;
    r.Watts2 = 523;
    r.TotalWs1 = 0;
    r.TotalWs2 = 3600000;
    r.Amps1 = 2.5f;
    r.Amps2 = 3.5f;
    r.PowerFactor1 = 0;
    r.PowerFactor2 = 0.5f;
    r.Volts = 120.3;
    return r;
}

TEST(WebRequest, typicalReadings_giveTheWholeRequestByteForByte)
{
    EXPECT_EQ(request(typicalReadings()),
              expected("&ch1_power=0&ch2_power=523&ch1_kwh=&ch2_kwh=1000&ch1_amps=2&ch2_amps=4&ch1_extra="
                       "&ch2_extra=1046&date=2026/12/08&time=10:15:30&voltage=120.3&username=****"));
}

TEST(WebRequest, hostWithPort_standsUnchangedInTheUrlAndTheHostHeader)
{
    const std::string text = request(typicalReadings(), "****", "127.0.0.1:8080");
    EXPECT_TRUE(text.starts_with("GET http://127.0.0.1:8080/Monitor/sendData.php?&ch1_power=0&")) << text;
    EXPECT_NE(text.find("\r\nHost: 127.0.0.1:8080\r\n"), std::string::npos) << text;
}

TEST(WebRequest, powerFrom35000Up_isSentEmpty_belowAndNegativeAsTheirText)
{
    LiveReadings r = typicalReadings();
    r.Watts1 = 35000;
    r.Watts2 = 34999;
    EXPECT_TRUE(queryOf(request(r)).starts_with("&ch1_power=&ch2_power=34999&")) << request(r);
    r.Watts1 = -12;
    r.Watts2 = 1e6;
    EXPECT_TRUE(queryOf(request(r)).starts_with("&ch1_power=-12&ch2_power=&")) << request(r);
}

TEST(WebRequest, energyIsWholeWattHours_roundedHalfAwayFromZero_emptyForZero)
{
    struct Case {
        double totalWs;
        const char* text;
    };
    for (const Case c : {Case{0, ""}, Case{3600000, "1000"}, Case{1800, "1"}, Case{5400, "2"}, Case{9000, "3"},
                         Case{1799, ""}, Case{36000000000000.0, "10000000000"}}) {
        LiveReadings r = typicalReadings();
        r.TotalWs1 = c.totalWs;
        r.TotalWs2 = c.totalWs;
        const std::string query = queryOf(request(r));
        EXPECT_NE(query.find("&ch1_kwh=" + std::string(c.text) + "&ch2_kwh=" + c.text + "&ch1_amps="),
                  std::string::npos)
            << c.totalWs << ": " << query;
    }
}

TEST(WebRequest, ampsAreRoundedHalfToEven_thenWhole_emptyForZero)
{
    struct Case {
        float amps;
        const char* text;
    };
    for (const Case c : {Case{2.5f, "2"}, Case{3.5f, "4"}, Case{0.4f, ""}, Case{0.5f, ""}, Case{0.6f, "1"},
                         Case{12.49f, "12"}, Case{0, ""}}) {
        LiveReadings r = typicalReadings();
        r.Amps1 = c.amps;
        EXPECT_NE(queryOf(request(r)).find("&ch1_amps=" + std::string(c.text) + "&ch2_amps=4&"), std::string::npos)
            << c.amps;
    }
}

TEST(WebRequest, apparentPower_isPowerOverFactorRoundedDown_emptyWhileTheFactorIsZero)
{
    LiveReadings r = typicalReadings();
    r.Watts1 = 100;
    r.PowerFactor1 = 0.3f;  // 333.33 goes down to 333
    r.Watts2 = -100;
    r.PowerFactor2 = 0.3f;  // -333.33 goes down to -334
    EXPECT_NE(queryOf(request(r)).find("&ch1_extra=333&ch2_extra=-334&"), std::string::npos) << request(r);

    r.Watts1 = 500;
    r.PowerFactor1 = 0;  // no valid factor received yet
    r.Watts2 = 0;
    r.PowerFactor2 = 0.5f;
    EXPECT_NE(queryOf(request(r)).find("&ch1_extra=&ch2_extra=&date="), std::string::npos) << request(r);
}

TEST(WebRequest, voltageAndPower_takeTheLocalesDecimalSeparator)
{
    LiveReadings r = typicalReadings();
    r.Watts2 = 523;
    const std::string query = queryOf(request(r, "****", "www.kvo7730.com", NumberSymbols{',', '.'}));
    EXPECT_NE(query.find("&voltage=120,3&"), std::string::npos) << query;
    EXPECT_NE(query.find("&ch2_power=523&"), std::string::npos) << query;
}

TEST(WebRequest, dateAndTime_followTheClockWithLeadingZeros)
{
    const std::string text = webRequestText(typicalReadings(), {"h", "u", DateTime{2027, 1, 2, 3, 4, 5}, {}});
    EXPECT_NE(text.find("&date=2027/01/02&time=03:04:05&voltage="), std::string::npos) << text;
}

TEST(WebRequest, userNameWithBlankAmpersandOrLineBreak_cannotBreakTheRequest)
{
    struct Case {
        const char* user;
        const char* sent;
    };
    for (const Case c : {Case{"John Smith", "John%20Smith"}, Case{"Tom&Jerry", "Tom%26Jerry"},
                         Case{"x\r\nHost: evil.example", "x%0D%0AHost:%20evil.example"},
                         Case{"100%#1", "100%25%231"}, Case{"M\xC3\xBCller", "M%C3%BCller"},
                         Case{"tab\there\x7F", "tab%09here%7F"}, Case{"****", "****"},
                         Case{"a+b=c/d?e@f.g", "a%2Bb=c/d?e@f.g"}}) {
        const std::string text = request(typicalReadings(), c.user);
        EXPECT_NE(text.find("&username=" + std::string(c.sent) + " HTTP/1.1\r\nHost: www.kvo7730.com\r\n"),
                  std::string::npos)
            << text;
        // Exactly the four header lines and the empty line follow the request line.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
    }
}

TEST(WebRequest, queryValueText_encodesOnlyWhatIsUnsafe)
{
    std::string everyByte;
    for (int c = 0; c < 256; ++c)
        everyByte += static_cast<char>(c);
    const std::string text = queryValueText(everyByte);
    std::string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%')
            i += 2;
        else
            kept += text[i];
    }
    EXPECT_EQ(kept, "!\"$'()*,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~");
    EXPECT_EQ(text.size(), kept.size() + 3 * (256 - kept.size()));
    EXPECT_EQ(queryValueText("2026/12/08"), "2026/12/08");
    EXPECT_EQ(queryValueText("10:15:30"), "10:15:30");
    EXPECT_EQ(queryValueText(std::string_view("\0 ", 2)), "%00%20");
    EXPECT_EQ(queryValueText("a+b c"), "a%2Bb%20c");
}

} // namespace
