// Where the monitor link shows its state, and what it asks of the rest of the program.
#pragma once

#include <functional>

class StatusBox;
class StatusList;

// The status list and boxes the link writes to. Boxes of windows that are created
// on demand are HeldStatusBox objects that the window attaches to when it exists.
struct LinkDisplays {
    StatusList& List1;          // the main window's status list
    StatusBox& mainPortBox;     // the main window's Text1
    StatusBox& mainRealTimeBox; // the main window's Text2
    StatusBox& webRealTimeBox;  // the web-posting window's Text1
    StatusBox& comPanelPortBox; // the COM panel's Text1
};

// Actions of other subsystems that the link starts; each may be left empty.
struct LinkHooks {
    std::function<void()> showComPanel;
    // The answer Yes to "search for available ports": the COM panel, listing the ports.
    std::function<void()> showComPanelAndListPorts;
    // The TCP server's start action (it listens only while real time is on).
    std::function<void()> startTcpServer;
    // True while the TCP server is closed (neither listening nor connected).
    std::function<bool()> tcpServerClosed;
    std::function<void(int version)> FindZigbeeNode;
};
