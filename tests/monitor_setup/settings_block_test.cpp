// The settings block pinned by hand-written bytes, its texts, and the setting words.
#include "common/number_text.h"
#include "monitor_setup/setting_assignments.h"
#include "monitor_setup/settings_block.h"

#include <gtest/gtest.h>

namespace {

// Bytes 1-11 of a block as a monitor sends them, then the unused rest.
std::string handWrittenBlock(std::initializer_list<int> first)
{
    std::string block;
    for (const int byte : first)
        block += static_cast<char>(byte);
    block.resize(32, '\0');
    return block;
}

TEST(SettingsBlock, theExampleBlockShowsEveryNumberWithItsSignBlank)
{
    const MonitorSettings settings = decodeSettingsBlock(handWrittenBlock({100, 5, 167, 4, 1, 2, 0, 15, 4, 210, 33}));
    const SettingsTexts texts = settingsTexts(settings, '.');
    EXPECT_EQ(texts, (SettingsTexts{.Text1 = " 100", .Text2 = " 5", .Text3 = " 167", .Text4 = " 4", .Text6 = " 1",
                                    .Text7 = " 2", .Text5 = " 15", .Text8 = "1.234", .Text9 = " 33"}));
    EXPECT_EQ(settingsListing(settings), "ct1_type=100\nct1_range=5\nct2_type=167\nct2_range=4\npt_type=1\n"
                                         "pt_range=2\ninterval=15\nfirmware=1.234\ndevice_id=33\n");
}

TEST(SettingsBlock, firmwareFollowsThePatternWithTheLocalesPoint)
{
    const struct {
        int high, low;
        char decimal;
        const char* text;
    } cases[] = {{7, 208, '.', "2."}, {1, 244, '.', ".5"}, {4, 210, ',', "1,234"}, {0, 0, '.', "."},
                 {39, 26, '.', "10.01"}};
    for (const auto& c : cases) {
        const MonitorSettings settings = decodeSettingsBlock(handWrittenBlock({0, 0, 0, 0, 0, 0, 0, 0, c.high, c.low}));
        EXPECT_EQ(settingsTexts(settings, c.decimal).Text8, c.text) << c.high << ' ' << c.low;
    }
}

TEST(SettingsBlock, aHighByteOf128OrMoreShowsTheUnsignedValue)
{
    const MonitorSettings settings = decodeSettingsBlock(handWrittenBlock({0, 0, 0, 0, 0, 0, 128, 1, 255, 255}));
    EXPECT_EQ(settingsTexts(settings, '.').Text5, " 32769");
    EXPECT_EQ(settings.firmware, 65535);
}

TEST(SettingsBlock, encodingGivesTheThirtyThreeBytesThatDecodeBack)
{
    MonitorSettings settings;
    settings.interval = 300;
    const std::string block = encodeSettingsBlock(settings);
    ASSERT_EQ(block.size(), 33u);
    EXPECT_EQ(block.substr(0, 11), handWrittenBlock({100, 5, 167, 4, 1, 2, 1, 44, 4, 210, 33}).substr(0, 11));
    EXPECT_EQ(decodeSettingsBlock(block), settings);
}

TEST(LeadingNumber, readsATypedBoxTheWayItsValueIsTaken)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {{" 15", 15}, {"167abc", 167}, {"abc", 0}, {"", 0}, {"-3", -3}, {"2.5x", 2.5},
                 {".5", 0.5}, {"1e2", 100}, {"1e", 1}, {"+7", 7}, {"-", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(c.text), c.value) << c.text;
}

TEST(SettingAssignments, wordsBecomeChangesAndBadWordsAreNamed)
{
    const auto parsed = parseSettingAssignments({"ct2=167,4", "interval=15", "id=33", "pt=1,2"}, false);
    ASSERT_TRUE(parsed.changes);
    const MonitorSettings changed = withChanges(MonitorSettings{.ct2Type = 0, .ct2Range = 0}, *parsed.changes);
    EXPECT_EQ(changed.ct2Type, 167);
    EXPECT_EQ(changed.ct2Range, 4);
    EXPECT_EQ(changed.interval, 15);
    EXPECT_EQ(changed.deviceId, 33);
    EXPECT_FALSE(parsed.changes->ct1);

    for (const char* bad : {"ct1=167", "ct1=300,4", "id=-1", "interval=4.5", "firmware=1.5", "volts=3", "ct1"})
        EXPECT_EQ(parseSettingAssignments({bad}, false).error, std::string("Not a setting: \"") + bad + "\"");
    EXPECT_EQ(parseSettingAssignments({"firmware=2.5"}, true).changes->firmware, 2500);
}

} // namespace
