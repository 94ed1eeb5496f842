// A status box drawn by a read-only, centred line edit.
#pragma once

#include "platform/status_box.h"

#include <QLineEdit>

class WidgetStatusBox : public StatusBox {
public:
    explicit WidgetStatusBox(QLineEdit& edit);

    void setText(const std::string& text) override;
    void setLook(StatusLook look) override;

private:
    QLineEdit& edit_;
};

// The 0x00BBGGRR colour as a Qt colour.
QColor colourFromBgr(unsigned bgr);
