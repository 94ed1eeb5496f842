// The checks of the setup window's boxes, and of the command line's settings, against
// the monitor's limits.
#include "monitor_setup/setting_assignments.h"
#include "monitor_setup/setup_values.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(BoxVerdicts, valuesWithinTheLimitsAreTakenAsTheyAreRead)
{
    EXPECT_EQ(currentTransformerBoxes(2, "167", "4").value, TypeAndRange(167, 4));
    // Leading blanks, a rounded fraction, trailing text.
    EXPECT_EQ(currentTransformerBoxes(1, " 3", "9.6 A").value, TypeAndRange(3, 10));
    EXPECT_EQ(potentialTransformerBoxes("0", "1").value, TypeAndRange(0, 1));
    EXPECT_EQ(storageIntervalBox("255").value, 255);
    EXPECT_EQ(storageIntervalBox("1").value, 1);
    EXPECT_EQ(deviceIdBox("127").value, 127);
    // A text that is no number is the ID 0.
    EXPECT_EQ(deviceIdBox("abc").value, 0);
}

TEST(BoxVerdicts, valuesOutsideTheLimitsAreRefusedWithTheirMessage)
{
    const struct {
        const char* name;
        Refusal refusal;
        Refusal expected;
    } cases[] = {
        {"CT range 0", currentTransformerBoxes(1, "100", "0").refusal, {{}, "Improper Range"}},
        {"CT range 11", currentTransformerBoxes(2, "100", "11").refusal, {{}, "Improper Range"}},
        {"PT range 11", potentialTransformerBoxes("1", "11").refusal, {{}, "Improper Range"}},
        {"interval 300", storageIntervalBox("300").refusal, {{}, "Invalid Storage Interval Value"}},
        {"interval 0", storageIntervalBox("0").refusal, {{}, "Invalid Storage Interval Value"}},
        {"interval text", storageIntervalBox("soon").refusal, {{}, "Invalid Storage Interval Value"}},
        {"ID 128", deviceIdBox("128").refusal, {{}, "Invalid Device ID Value"}},
        {"ID -1", deviceIdBox("-1").refusal, {{}, "Invalid Device ID Value"}},
        {"CT type 300",
         currentTransformerBoxes(2, "300", "5").refusal,
         {{"PROBLEM Modifying CH2 CT Type and Range", "The CT type and range must be whole numbers from 0 to 255."},
          "Error writing CT setup values"}},
        // A value that does not fit a byte is refused before the range is looked at.
        {"CT range 256",
         currentTransformerBoxes(1, "100", "256").refusal,
         {{"PROBLEM Modifying CH1 CT Type and Range", "The CT type and range must be whole numbers from 0 to 255."},
          "Error writing CT setup values"}},
        {"PT type -1",
         potentialTransformerBoxes("-1", "5").refusal,
         {{"The PT type and range must be whole numbers from 0 to 255."}, "Error writing PT setup values"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.refusal, c.expected) << c.name;
    EXPECT_FALSE(currentTransformerBoxes(1, "100", "0").value);
    EXPECT_FALSE(deviceIdBox("128").value);
}

std::optional<std::string> limitsMessage(std::vector<std::string> words)
{
    const ParsedAssignments parsed = parseSettingAssignments(words, false);
    EXPECT_TRUE(parsed.changes) << parsed.error;
    return outsideMonitorLimits(parsed.changes.value_or(SettingChanges{}));
}

TEST(MonitorLimits, settingWordsOutsideThemAreNamedInTheMessage)
{
    EXPECT_EQ(limitsMessage({"interval=300"}), "interval=300: the storage interval must be from 1 to 255 minutes.");
    EXPECT_EQ(limitsMessage({"interval=0"}), "interval=0: the storage interval must be from 1 to 255 minutes.");
    EXPECT_EQ(limitsMessage({"id=128"}), "id=128: the device ID must be from 0 to 127.");
    EXPECT_EQ(limitsMessage({"ct2=167,4", "pt=1,11"}), "pt=1,11: the range must be from 1 to 10.");
    EXPECT_EQ(limitsMessage({"ct1=100,0"}), "ct1=100,0: the range must be from 1 to 10.");
    EXPECT_FALSE(limitsMessage({"ct1=255,10", "ct2=0,1", "pt=1,2", "interval=255", "id=127"}));
    EXPECT_FALSE(limitsMessage({"interval=1", "id=0"}));
}

} // namespace
