// Keeps the COM panel from its first use until it closes, and creates it again,
// loading anew, whenever the program needs it.
#pragma once

#include "connection/com_panel.h"

#include <QPointer>

class ComPanelOwner : public QObject {
    Q_OBJECT

public:
    explicit ComPanelOwner(const ComPanelContext& context);
    ~ComPanelOwner() override;
    ComPanelOwner(const ComPanelOwner&) = delete;
    ComPanelOwner& operator=(const ComPanelOwner&) = delete;

    // "OPEN", and the start of real time with no method chosen: shown without blocking.
    void show();
    // Yes to "search for available ports?": shown, and the ports listed at once.
    void showAndListPorts();
    // The main window goes to the notification area: an open panel that is not
    // maximized closes. One that was never opened is not made for it, and the close
    // does not end the program when no method is chosen yet: the user only minimized.
    void closeUnlessMaximized();

    // The panel, or nullptr while it is closed.
    COMpanel* window() const { return window_.data(); }

signals:
    void programEndWanted();

private:
    COMpanel& made();

    ComPanelContext context_;
    QPointer<COMpanel> window_;
};
