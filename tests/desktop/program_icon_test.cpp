// The icon built into the program: every rendered size is there and is drawn, not blank.
#include "desktop/program_icon.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(ProgramIcon, holdsEveryRenderedSizeWithTheDrawingOnIt)
{
    const QIcon icon = programIcon();
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        ASSERT_TRUE(icon.availableSizes().contains(QSize(side, side))) << side;
        const QImage image = icon.pixmap(side, side).toImage();
        // The middle is drawn; the corner lies outside the rounded face.
        EXPECT_EQ(qAlpha(image.pixel(side / 2, side / 2)), 255) << side;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << side;
    }
}

} // namespace
