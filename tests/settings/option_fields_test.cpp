// The options window's entry checks and the polarity test, without widgets.
#include "link/live_readings.h"
#include "settings/option_fields.h"
#include "settings/polarity_test.h"

#include <gtest/gtest.h>

namespace {

constexpr NumberSymbols kPointLocale{'.', ','};
constexpr NumberSymbols kCommaLocale{',', '.'};

TEST(FieldNumber, plainDecimalTextsAreNumbers_withBlanksSignsAndExponents)
{
    EXPECT_EQ(fieldNumber("12", kPointLocale), 12.0);
    EXPECT_EQ(fieldNumber("  12 ", kPointLocale), 12.0);
    EXPECT_EQ(fieldNumber("-3.5", kPointLocale), -3.5);
    EXPECT_EQ(fieldNumber("+4", kPointLocale), 4.0);
    EXPECT_EQ(fieldNumber(".5", kPointLocale), 0.5);
    EXPECT_EQ(fieldNumber("1e3", kPointLocale), 1000.0);
}

TEST(FieldNumber, theLocalesDecimalSeparatorAndThePointBothReadAsTheFraction)
{
    EXPECT_EQ(fieldNumber("0,15", kCommaLocale), 0.15);
    EXPECT_EQ(fieldNumber("0.15", kCommaLocale), 0.15);
}

TEST(FieldNumber, textsThatCouldBeReadAsAnotherValueAreNoNumbers)
{
    for (const char* text : {"", "   ", "abc", "12abc", "$5", "1.5.2", "1 0", "--5", "+-5", "-", "inf", "nan", "1e",
                             "1e999", "0x10"})
        EXPECT_FALSE(fieldNumber(text, kPointLocale).has_value()) << text;
    EXPECT_FALSE(fieldNumber("1,000", kPointLocale).has_value()) << "a group separator is not a decimal point";
    EXPECT_FALSE(fieldNumber("1.000,5", kCommaLocale).has_value());
}

TEST(ThresholdCheck, writeIntervalBelowTenIsRaisedToTen_withItsMessage_andKeepsTheFocusMoving)
{
    const FieldVerdict verdict = checkThreshold("5", kWriteIntervalField, kPointLocale);
    EXPECT_EQ(verdict.value, std::optional<std::int16_t>(10));
    EXPECT_EQ(verdict.correctedText, std::optional<std::string>("10"));
    EXPECT_EQ(verdict.message, "Must be set above 10 seconds.");
    EXPECT_FALSE(verdict.focusBack);

    EXPECT_EQ(checkThreshold("9.9", kWriteIntervalField, kPointLocale).value, std::optional<std::int16_t>(10));
    EXPECT_EQ(checkThreshold("-32769", kWriteIntervalField, kPointLocale).value, std::optional<std::int16_t>(10));
}

TEST(ThresholdCheck, theLimitsAreInclusive_andAcceptedValuesAreSilent)
{
    const FieldVerdict interval = checkThreshold("10", kWriteIntervalField, kPointLocale);
    EXPECT_EQ(interval.value, std::optional<std::int16_t>(10));
    EXPECT_TRUE(interval.message.empty());
    EXPECT_FALSE(interval.correctedText.has_value());
    EXPECT_FALSE(interval.focusBack);

    const FieldVerdict power = checkThreshold("40", kPowerChangeField, kPointLocale);
    EXPECT_EQ(power.value, std::optional<std::int16_t>(40));
    EXPECT_TRUE(power.message.empty());

    EXPECT_EQ(checkThreshold("32767", kPowerChangeField, kPointLocale).value, std::optional<std::int16_t>(32767));
}

TEST(ThresholdCheck, valuesAreRoundedHalfToEven)
{
    EXPECT_EQ(checkThreshold("10.5", kWriteIntervalField, kPointLocale).value, std::optional<std::int16_t>(10));
    EXPECT_EQ(checkThreshold("11.5", kWriteIntervalField, kPointLocale).value, std::optional<std::int16_t>(12));
    EXPECT_EQ(checkThreshold("40,6", kPowerChangeField, kCommaLocale).value, std::optional<std::int16_t>(41));
}

TEST(ThresholdCheck, powerChangeBelowFortyIsRaisedToForty_withTheWattMessage)
{
    const FieldVerdict verdict = checkThreshold("39.9", kPowerChangeField, kPointLocale);
    EXPECT_EQ(verdict.value, std::optional<std::int16_t>(40));
    EXPECT_EQ(verdict.correctedText, std::optional<std::string>("40"));
    EXPECT_EQ(verdict.message, "Must be set above 40 watt.");
}

TEST(ThresholdCheck, textsThatAreNoNumbersStoreNothing_andTakeTheFocusBack)
{
    const FieldVerdict interval = checkThreshold("abc", kWriteIntervalField, kPointLocale);
    EXPECT_FALSE(interval.value.has_value());
    EXPECT_EQ(interval.message, "Interval must be a numeric value");
    EXPECT_FALSE(interval.correctedText.has_value());
    EXPECT_TRUE(interval.focusBack);

    const FieldVerdict power = checkThreshold("", kPowerChangeField, kPointLocale);
    EXPECT_FALSE(power.value.has_value());
    EXPECT_EQ(power.message, "This must be a numeric value");
    EXPECT_TRUE(power.focusBack);
}

TEST(ThresholdCheck, valuesBeyondSixteenBitsStoreNothing_andSayTheLargestAllowed)
{
    const FieldVerdict interval = checkThreshold("40000", kWriteIntervalField, kPointLocale);
    EXPECT_FALSE(interval.value.has_value());
    EXPECT_EQ(interval.message, "Must not be set above 32767 seconds.");
    EXPECT_TRUE(interval.focusBack);

    const FieldVerdict power = checkThreshold("32767.5", kPowerChangeField, kPointLocale);
    EXPECT_FALSE(power.value.has_value()) << "rounds to 32768";
    EXPECT_EQ(power.message, "Must not be set above 32767 watt.");
}

TEST(RateCheck, upToOneIsAccepted_aboveOneNeedsConfirmation_otherTextsAreRefused)
{
    const RateVerdict one = checkRate("1", kPointLocale);
    EXPECT_EQ(one.kind, RateVerdict::Kind::Accept);
    EXPECT_EQ(one.value, 1.0);

    const RateVerdict dear = checkRate("1.5", kPointLocale);
    EXPECT_EQ(dear.kind, RateVerdict::Kind::Confirm);
    EXPECT_EQ(dear.value, 1.5);

    const RateVerdict local = checkRate("0,08", kCommaLocale);
    EXPECT_EQ(local.kind, RateVerdict::Kind::Accept);
    EXPECT_EQ(local.value, 0.08);

    EXPECT_EQ(checkRate("abc", kPointLocale).kind, RateVerdict::Kind::NotANumber);
    EXPECT_EQ(checkRate("$0.10", kPointLocale).kind, RateVerdict::Kind::NotANumber);

    EXPECT_EQ(checkRate("0", kPointLocale).kind, RateVerdict::Kind::Accept);
    EXPECT_EQ(checkRate("-0.001", kPointLocale).kind, RateVerdict::Kind::BelowLowest);
    EXPECT_EQ(checkRate("-5", kPointLocale).kind, RateVerdict::Kind::BelowLowest) << "not asked about as a dear price";
}

TEST(RateTexts, theQuestionQuotesTheValue_andTheBoxShowsFourDecimals_inTheLocalesForm)
{
    EXPECT_EQ(rateQuestion(1.5, kPointLocale),
              "You have entered a value greater than one Dollar. Are you sure your rate is this high? You can find "
              "this value on your electric bill. Would you like to keep the value of 1.5?");
    EXPECT_TRUE(rateQuestion(2.25, kCommaLocale).ends_with("keep the value of 2,25?"));
    EXPECT_EQ(rateText(0.126, kPointLocale), "0.1260");
    EXPECT_EQ(rateText(0.126, kCommaLocale), "0,1260");
    EXPECT_EQ(rateText(12.34567, kPointLocale), "12.3457");
}

TEST(AccountTexts, userNamesMustNotBeEmpty_hostsLoseTheirBlanks_andMustBeHostNamesOrAddresses)
{
    EXPECT_FALSE(acceptedUserName("").has_value());
    EXPECT_EQ(acceptedUserName(" al "), std::optional<std::string>(" al "));
    EXPECT_EQ(acceptedHost(" example.org:8080 "), std::optional<std::string>("example.org:8080"));
    EXPECT_EQ(acceptedHost("[::1]:8080"), std::optional<std::string>("[::1]:8080"));
    for (const char* host : {"", "  ", "exa mple.org", "example.org/path", "example.org:99999", "example.org:"})
        EXPECT_FALSE(acceptedHost(host).has_value()) << host;
    EXPECT_EQ(accountPageAddress("example.org", "al"), "example.org/Monitor/monitor.php?user=al");
}

struct Counters {
    double abs1 = 0;
    double abs2 = 0;
    double pol1 = 0;
    double pol2 = 0;
};

LiveReadings readings(Counters c)
{
    LiveReadings r;
    r.AbsWs1 = c.abs1;
    r.AbsWs2 = c.abs2;
    r.PolWs1 = c.pol1;
    r.PolWs2 = c.pol2;
    return r;
}

using Result = PolarityTest::Result;

TEST(PolarityTest, firstTickTakesTheBaseline_laterTicksCompareChannelOneWithIt)
{
    PolarityTest test;
    test.start();
    EXPECT_EQ(test.tick(readings({100, 50, 20, 5})), Result::BaselineTaken);
    EXPECT_EQ(test.tick(readings({100, 50, 20, 5})), Result::NoEnergy);
    EXPECT_EQ(test.tick(readings({100, 900, 20, 900})), Result::NoEnergy) << "channel 2 is not compared";
    EXPECT_EQ(test.tick(readings({100, 50, 30, 5})), Result::NoEnergy) << "no absolute change, whatever the other";
    EXPECT_EQ(test.tick(readings({160, 50, 20, 5})), Result::Consumed);
    EXPECT_EQ(test.tick(readings({160, 50, 25, 5})), Result::Generated);
}

TEST(PolarityTest, theBaselineLastsForTheWholeTest_andIsRenewedByAStart)
{
    PolarityTest test;
    test.start();
    test.tick(readings({100, 0, 20, 0}));
    EXPECT_EQ(test.tick(readings({160, 0, 20, 0})), Result::Consumed);
    EXPECT_EQ(test.tick(readings({160, 0, 20, 0})), Result::Consumed) << "compared with the first tick, not the last";

    test.start();
    EXPECT_EQ(test.tick(readings({160, 0, 20, 0})), Result::BaselineTaken);
    EXPECT_EQ(test.tick(readings({160, 0, 20, 0})), Result::NoEnergy);
}

} // namespace
