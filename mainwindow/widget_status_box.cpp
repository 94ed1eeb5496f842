// Status texts and colours on a line edit.
#include "mainwindow/widget_status_box.h"

#include <QPalette>

QColor colourFromBgr(unsigned bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

WidgetStatusBox::WidgetStatusBox(QLineEdit& edit)
    : edit_(edit)
{
    edit_.setReadOnly(true);
    edit_.setAlignment(Qt::AlignCenter);
}

void WidgetStatusBox::setText(const std::string& text)
{
    edit_.setText(QString::fromStdString(text));
}

void WidgetStatusBox::setLook(StatusLook look)
{
    QPalette palette = edit_.palette();
    palette.setColor(QPalette::Base, colourFromBgr(look.background));
    palette.setColor(QPalette::Text, colourFromBgr(look.foreground));
    edit_.setPalette(palette);
}
