// The notification-area icon that stands for the main window while it is hidden.
#pragma once

#include <functional>
#include <string>

class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    // False where the desktop has no notification area.
    virtual bool isAvailable() const = 0;

    // Sets the tip text shown over the icon.
    virtual void setTip(const std::string& tip) = 0;
    virtual void add() = 0;
    virtual void remove() = 0;

    // Called on a left double-click on the icon; other clicks are ignored.
    virtual void setDoubleClickHandler(std::function<void()> handler) = 0;
};
