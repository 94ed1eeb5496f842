// A notification-area icon that a test can double-click.
#pragma once

#include "platform/tray_icon.h"

class FakeTrayIcon : public TrayIcon {
public:
    bool isAvailable() const override { return available; }
    void setTip(const std::string& text) override { tip = text; }
    void add() override { shown = true; }
    void remove() override { shown = false; }
    void setDoubleClickHandler(std::function<void()> handler) override { doubleClick_ = std::move(handler); }

    void doubleClick()
    {
        if (doubleClick_)
            doubleClick_();
    }

    bool available = true;
    bool shown = false;
    std::string tip;

private:
    std::function<void()> doubleClick_;
};
