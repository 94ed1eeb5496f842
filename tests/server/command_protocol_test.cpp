// The TCP command protocol line by line: when a line is complete, the prefix search,
// the GET and SET tables, the error replies and the number texts.
#include "server/command_protocol.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr NumberSymbols kPoint{'.', ','};
constexpr NumberSymbols kComma{',', '.'};

const std::string kTooShort = "Error! Command length too short\r\n";
const std::string kNoPrefix = "Error! Command must start with \"get\" or \"set\".\r\n";
const std::string kImproper = "Error! Improper command\r\n";

// Every served field with its own value, so a field served from the wrong one shows.
LiveReadings sampleReadings()
{
    LiveReadings r;
    r.Watts1 = 1234;
    r.Watts2 = -56;
    r.KWh1 = 0.5;
    r.KWh2 = 1234567.8916;
    r.Amps1 = 0.04f;
    r.Amps2 = 12.25f;
    r.Volts = 120.5;
    r.AbsWs1 = 1800000;
    r.AbsWs2 = 3600001;
    r.PolWs1 = -7200;
    r.PolWs2 = 42;
    r.TotalWs1 = 1800100;
    r.TotalWs2 = 3600201;
    r.TotalPolWs1 = -7100;
    r.TotalPolWs2 = 142;
    r.SecondsCounter = 86400;
    return r;
}

std::vector<std::string> fields(const std::string& reply)
{
    std::vector<std::string> parts;
    std::istringstream in(reply.substr(0, reply.size() - 2));
    for (std::string part; std::getline(in, part, '\t');)
        parts.push_back(part);
    return parts;
}

// Records what the SET commands asked for, in order.
class RecordingTarget : public SetCommandTarget {
public:
    void TogglePolarity(int channel) override { calls.push_back("toggle " + std::to_string(channel)); }
    void setTriggerPush(bool on) override { calls.push_back(on ? "push on" : "push off"); }

    std::vector<std::string> calls;
};

struct ProtocolRig {
    LiveReadings readings = sampleReadings();
    RecordingTarget target;
    std::vector<std::string>& calls = target.calls;
    NumberSymbols symbols = kPoint;
    CommandProtocol protocol{readings, symbols, target};

    std::string reply(const std::string& taken) { return protocol.reply(taken); }
};

TEST(CommandLineEnd, onlyATextEndingInCarriageReturnIsAWholeCommand)
{
    EXPECT_TRUE(endsWithCommand("GETP1\r"));
    EXPECT_TRUE(endsWithCommand("GETP1\r\nGETP2\r"));
    EXPECT_FALSE(endsWithCommand("GETP1\r\n")) << "CR LF leaves LF last: wait for more";
    EXPECT_FALSE(endsWithCommand("GETP1"));
    EXPECT_FALSE(endsWithCommand(""));
}

TEST(CommandProtocolGet, getP1_isTheWattsInGeneralText_thenCrLf)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("GETP1\r"), "1234\r\n");
    EXPECT_EQ(rig.reply("GETP2\r"), "-56\r\n");
}

TEST(CommandProtocolGet, everyWordOfTheTable_servesItsOwnField)
{
    ProtocolRig rig;
    const std::vector<std::pair<std::string, std::string>> table = {
        {"P1", "1234"},          {"P2", "-56"},           {"KWH1", ".500"},          {"KWH2", "1234567.892"},
        {"AMP1", ".0"},          {"AMP2", "12.3"},        {"VOLT", "120.5"},         {"WS1", "1800000"},
        {"WS1P", "-7200"},       {"WS1STATIC", "1800100"}, {"WS1PSTATIC", "-7100"},  {"WS2", "3600001"},
        {"WS2P", "42"},          {"WS2STATIC", "3600201"}, {"WS2PSTATIC", "142"},    {"SEC", "86400"},
    };
    for (const auto& [word, text] : table)
        EXPECT_EQ(rig.reply("GET" + word + "\r"), text + "\r\n") << word;
}

TEST(CommandProtocolGet, getall_inAnyCase_isTheTwelveFieldAllLine)
{
    ProtocolRig rig;
    const std::string expected = "1234\t-56\t.500\t1234567.892\t120.5\t.0\t12.3\t1800000\t3600001\t1800100\t3600201\t86400\r\n";
    for (const char* command : {"getall\r", "GetAll\r", "GETALL\r"})
        EXPECT_EQ(rig.reply(command), expected) << command;
    EXPECT_EQ(fields(expected).size(), 12u);
}

TEST(CommandProtocolGet, getallp_isTheSixteenFieldLine_withThePolarisedCountersBeforeSec)
{
    ProtocolRig rig;
    const std::string reply = rig.reply("GETALLP\r");
    ASSERT_TRUE(reply.ends_with("\r\n"));
    const std::vector<std::string> parts = fields(reply);
    ASSERT_EQ(parts.size(), 16u);
    EXPECT_EQ(parts[10], "3600201");
    EXPECT_EQ((std::vector<std::string>{parts[11], parts[12], parts[13], parts[14], parts[15]}),
              (std::vector<std::string>{"-7200", "42", "-7100", "142", "86400"}));
}

TEST(CommandProtocolGet, voltage_hasOneDecimalAlone_butIsGeneralTextInsideAll)
{
    ProtocolRig rig;
    rig.readings.Volts = 120.5;
    EXPECT_EQ(rig.reply("GETVOLT\r"), "120.5\r\n");
    EXPECT_EQ(fields(rig.reply("GETALL\r"))[4], "120.5");

    rig.readings.Volts = 120;
    EXPECT_EQ(rig.reply("GETVOLT\r"), "120.0\r\n");
    EXPECT_EQ(fields(rig.reply("GETALL\r"))[4], "120");
}

TEST(CommandProtocolGet, smallValues_dropTheZeroIntegerPart)
{
    ProtocolRig rig;
    rig.readings.KWh1 = 0.5;
    rig.readings.Amps1 = 0.04f;
    EXPECT_EQ(rig.reply("GETKWH1\r"), ".500\r\n");
    EXPECT_EQ(rig.reply("GETAMP1\r"), ".0\r\n");
}

TEST(CommandProtocolGet, aDecimalCommaLocale_writesCommasInEveryNumber)
{
    LiveReadings readings = sampleReadings();
    readings.Watts1 = 1234.5;
    RecordingTarget target;
    CommandProtocol protocol(readings, kComma, target);

    EXPECT_EQ(protocol.reply("GETKWH2\r"), "1234567,892\r\n") << "no grouping in the pattern";
    EXPECT_EQ(protocol.reply("GETVOLT\r"), "120,5\r\n");
    EXPECT_EQ(protocol.reply("GETAMP2\r"), "12,3\r\n");
    EXPECT_EQ(protocol.reply("GETP1\r"), "1234,5\r\n");
    const std::vector<std::string> parts = fields(protocol.reply("GETALL\r"));
    ASSERT_EQ(parts.size(), 12u) << "the tab stays the separator";
    EXPECT_EQ(parts[0], "1234,5");
    EXPECT_EQ(parts[2], ",500");
    EXPECT_EQ(parts[4], "120,5");
}

TEST(CommandProtocolErrors, linesUnderFiveCharacters_areTooShort)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("AB\r"), kTooShort);
    EXPECT_EQ(rig.reply("\r"), kTooShort);
    EXPECT_EQ(rig.reply("GET\r"), kTooShort) << "the CR counts: four characters";
}

TEST(CommandProtocolErrors, aPrefixWithFewerThanTwoCharactersAfterIt_isThePrefixError)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("GETX\r"), kNoPrefix);
    EXPECT_EQ(rig.reply("SETX\r"), kNoPrefix);
    EXPECT_EQ(rig.reply("XXGETP\r"), kNoPrefix);
}

TEST(CommandProtocolErrors, hello_getsThePrefixErrorAndNothingElse)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("HELLO\r"), kNoPrefix);
    EXPECT_TRUE(rig.calls.empty());
}

TEST(CommandProtocolErrors, theWordIsNotTrimmed_soABlankAfterThePrefixIsImproper)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("GET P1\r"), kImproper);
    EXPECT_EQ(rig.reply("GETP1 \r"), kImproper);
    EXPECT_EQ(rig.reply("GETWATTS\r"), kImproper);
}

TEST(CommandProtocolErrors, severalCommandsArrivingTogether_formOneImproperLine)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("GETP1\rGETP2\r"), kImproper);
    EXPECT_EQ(rig.reply("GETP1\r\nGETP2\r"), kImproper) << "a CR LF line completed later by a CR";
}

TEST(CommandProtocolPrefix, charactersBeforeThePrefix_areSkipped)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("XXGETSEC\r"), "86400\r\n");
    EXPECT_EQ(rig.reply("\nGETP1\r"), "1234\r\n") << "the LF left over from a CR LF client";
}

TEST(CommandProtocolPrefix, getAnywhereInTheSearchedPositions_winsOverAnEarlierSet)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("SETGETP1\r"), "1234\r\n");
    EXPECT_TRUE(rig.calls.empty());
    // GET at the last position but one is past the search: this is SET with the word "P1GET".
    EXPECT_EQ(rig.reply("SETP1GET\r"), "\r\n");
}

TEST(CommandProtocolSet, polarityWords_toggleTheirChannel_beforeTheReplyIsMade)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("SETPOL1\r"), "Toggled CH1 Polarity\r\n");
    EXPECT_EQ(rig.reply("setpol2\r"), "Toggled CH2 Polarity\r\n");
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"toggle 1", "toggle 2"}));
}

TEST(CommandProtocolSet, triggerWords_switchThePush_andSayWhichWay)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("SETTRIGON\r"), "Auto Triggering has been Enabled\r\n");
    EXPECT_EQ(rig.reply("SETTRIGOFF\r"), "Auto Triggering has been Disabled\r\n");
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"push on", "push off"}));
}

TEST(CommandProtocolSet, anUnknownWord_isAnsweredWithAnEmptyLine_andDoesNothing)
{
    ProtocolRig rig;
    EXPECT_EQ(rig.reply("SETFOO\r"), "\r\n");
    EXPECT_EQ(rig.reply("SETPOL3\r"), "\r\n");
    EXPECT_TRUE(rig.calls.empty());
}

} // namespace
