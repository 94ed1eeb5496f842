// The posting log's columns and the texts of a row.
#include "web/log_row.h"

#include <gtest/gtest.h>

namespace {

PostRow sampleRow()
{
    PostRow row;
    row.TriggerSource = "CH1 / ";
    row.swing1 = 1234;
    row.swing2 = -405;
    row.Watts1 = 12345;
    row.Watts2 = 0;
    row.Volts = 120;
    row.LogKWh1 = 1234.5678;
    row.LogKWh2 = 0.5;
    row.Amps1 = 13.04f;
    row.Amps2 = 0.04f;
    return row;
}

TEST(LogRow, columns_haveTheirTitlesAndWidthsInOrder)
{
    std::vector<std::string_view> titles;
    int widths = 0;
    for (const LogColumn& column : kLogColumns) {
        titles.push_back(column.title);
        widths += column.widthTwips;
    }
    EXPECT_EQ(titles, (std::vector<std::string_view>{"Trigger Source", "Trig 1", "Trig 2", "Time of Post", "CH1 Watt",
                                                     "CH2 Watt", "Volt", "CH1 KWh", "CH2 KWh", "CH1 Amp", "CH2 Amp"}));
    EXPECT_EQ(kLogColumns[0].widthTwips, 1300);
    EXPECT_EQ(kLogColumns[3].widthTwips, 1200);
    EXPECT_EQ(kLogColumns[7].widthTwips, 1400);
    EXPECT_EQ(kLogColumns[10].widthTwips, 900);
    EXPECT_EQ(widths, 11900);
}

TEST(LogRow, texts_followEachColumnsPattern)
{
    EXPECT_EQ(logRowTexts(sampleRow(), DateTime{2026, 12, 8, 9, 5, 7}, {}),
              (LogRowTexts{"CH1 / ", "1,234", "-405", "09:05:07", "12,345", "0", "120.0", "1,234.568", ".500", "13.0",
                           ".0"}));
}

TEST(LogRow, texts_takeTheLocalesSymbols)
{
    const LogRowTexts texts = logRowTexts(sampleRow(), DateTime{}, NumberSymbols{',', '.'});
    EXPECT_EQ(texts[1], "1.234");
    EXPECT_EQ(texts[6], "120,0");
    EXPECT_EQ(texts[7], "1.234,568");
    EXPECT_EQ(texts[8], ",500");
}

} // namespace
