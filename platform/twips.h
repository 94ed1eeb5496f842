// Sizes given in twips (1/1440 inch) as pixels of the screen a widget is on.
#pragma once

#include <QWidget>

inline int twipsToPixels(const QWidget& widget, int twips)
{
    constexpr int kTwipsPerInch = 1440;
    const int dpi = widget.logicalDpiX() > 0 ? widget.logicalDpiX() : 96;
    return twips * dpi / kTwipsPerInch;
}
