// The running program: its parts wired together, and its start-up and shut-down.
#pragma once

#include "link/command_exchange.h"
#include "link/link_displays.h"
#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "link/port_manager.h"
#include "link/program_state.h"
#include "link/real_time_control.h"
#include "platform/status_box.h"
#include "server/resident_server.h"
#include "settings/options_window_owner.h"
#include "settings/persisted_settings.h"
#include "web/web_client.h"
#include "web/web_posting.h"

#include <string>

class Clock;
class Dialogs;
class EventLoop;
class MainWindow;
class SerialPort;
class ServerSocket;
class SettingsStore;
class TrayIcon;

// What the program needs from the outside world.
struct Platform {
    const Clock& clock;
    EventLoop& events;
    SerialPort& port;
    SettingsStore& store;
    Dialogs& dialogs;
    TrayIcon& tray;
    ServerSocket& tcpserver;
};

class Program {
public:
    Program(MainWindow& window, Platform platform);

    void Form_Load();

    // Closes the port, saves the settings and removes the notification-area icon.
    // Runs once, whichever way the program ends.
    void Form_Unload();

    ProgramState& state() { return state_; }
    WebPosting& webPosting() { return webPosting_; }
    ResidentServer& server() { return server_; }

    static std::string caption(const std::string& version);
    static std::string aboutText();

private:
    void connectMenus();
    void connectTimers();

    MainWindow& window_;
    Platform platform_;
    ProgramState state_;
    PersistedSettings settings_;
    PeriodicSave periodicSave_;

    HeldStatusBox webRealTimeBox_;
    HeldStatusBox comPanelPortBox_;
    LinkDisplays displays_;
    LinkHooks hooks_;
    PortManager ports_;
    CommandExchange exchange_;
    RealTimeControl realTime_;
    PacketDecoder decoder_;
    PacketReceiver receiver_;
    ResidentServer server_;
    WebClient webClient_;
    WebPosting webPosting_;
    OptionsWindowOwner options_;
    bool unloaded_ = false;
};
