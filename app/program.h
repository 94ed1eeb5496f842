// The windowed program: the program without windows (settings, monitor, TCP server,
// web posting) with the main window and the secondary windows on it, and its
// start-up and shut-down.
#pragma once

#include "companion/companion.h"
#include "connection/com_panel_owner.h"
#include "history/export_window.h"
#include "history/readings_window_owner.h"
#include "settings/options_window_owner.h"
#include "monitor_setup/util_window_owner.h"
#include "web/web_window_owner.h"

#include <QObject>
#include <string>

class Dialogs;
class MainWindow;
class TrayIcon;

// What the windowed program needs from the outside world.
struct Platform {
    CompanionPlatform companion;
    TrayIcon& tray;
    PortFolders portFolders = PortFolders::ofThisUser();
};

class Program : public QObject {
    Q_OBJECT

public:
    Program(MainWindow& window, const Platform& platform);

    void Form_Load();

    // Closes the port and the TCP server, saves the settings (after the server's pause),
    // removes the notification-area icon and announces the end. The save runs once,
    // however many ways the end is asked for; every request is announced once the
    // save is done.
    void Form_Unload();
    // The event loop is going away: the end is finished now, its pause cut short.
    void unloadNow();

    // True once the run has ended and everything is saved (also when that happened
    // before the event loop ran).
    bool ended() const { return companion_.ended(); }

    Companion& companion() { return companion_; }
    const SettingsValues& settings() const { return companion_.settings().values(); }
    const Monitor& monitor() const { return companion_.monitor(); }
    WebWindowOwner& webWindow() { return webWindow_; }
    ComPanelOwner& comPanel() { return comPanel_; }
    UtilWindowOwner& utilWindow() { return util_; }
    ReadingsWindowOwner& readingsWindow() { return readings_; }

    static std::string caption(const std::string& version);
    static std::string aboutText();

    static constexpr const char* kAppVersion = "1.00 beta";

signals:
    // The run is over: the event loop is to end.
    void finished();

private:
    void afterTheSave();
    void connectMenus();
    void connectDisplays();
    void connectWindows();

    MainWindow& window_;
    Dialogs& dialogs_;
    TrayIcon& tray_;
    Companion companion_;
    WebWindowOwner webWindow_;
    OptionsWindowOwner options_;
    ComPanelOwner comPanel_;
    UtilWindowOwner util_;
    ReadingsWindowOwner readings_;
    ExportWindow export_;
};
