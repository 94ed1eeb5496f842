// The notification-area icon on QSystemTrayIcon.
#pragma once

#include "platform/tray_icon.h"

#include <QSystemTrayIcon>

class QtTrayIcon : public TrayIcon {
public:
    explicit QtTrayIcon(const QIcon& icon);

    bool isAvailable() const override;
    void setTip(const std::string& tip) override;
    void add() override;
    void remove() override;
    void setDoubleClickHandler(std::function<void()> handler) override;

private:
    QSystemTrayIcon icon_;
    std::function<void()> doubleClick_;
};
