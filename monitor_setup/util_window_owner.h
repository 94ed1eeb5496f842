// Creates the setup window on demand, keeps it until it closes, and closes it with the
// main window's minimize.
#pragma once

#include "monitor_setup/util_window.h"

#include <QPointer>

class UtilWindowOwner : public QObject {
    Q_OBJECT

public:
    explicit UtilWindowOwner(UtilWindowContext context);
    ~UtilWindowOwner();
    UtilWindowOwner(const UtilWindowOwner&) = delete;
    UtilWindowOwner& operator=(const UtilWindowOwner&) = delete;

    // The window; created hidden when it does not exist.
    KVO_Util& window();

    // "KVO-7730 Utility": shown without blocking.
    void MnuUtil_Click();

    // The main window goes to the notification area. The window is created first
    // when it does not exist, so that its state can be read.
    void closeUnlessMaximized();

private:
    UtilWindowContext context_;
    QPointer<KVO_Util> window_;
};
