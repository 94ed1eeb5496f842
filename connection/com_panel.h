// The COM panel: how the monitor is reached (USB cable or a ZigBee dongle of either
// version), which COM port, opening and closing it by hand, the ZigBee search, and the
// TCP server's port.
#pragma once

#include "connection/port_identities.h"
#include "settings/lost_focus_watcher.h"

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class Dialogs;
class ListWidgetStatusList;
class Monitor;
class PersistedSettings;
class QButtonGroup;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class ResidentServer;
class WidgetStatusBox;
struct PortSearchResult;

struct ComPanelContext {
    PersistedSettings& settings;
    Monitor& monitor;
    ResidentServer& server;
    Dialogs& dialogs;
    // Where the per-user port links and the stable adapter names live.
    PortFolders portFolders;
};

class COMpanel : public QWidget {
    Q_OBJECT

public:
    // Runs Form_Load: the boxes show the values of this moment.
    explicit COMpanel(const ComPanelContext& context);
    ~COMpanel() override;

    void Option2_Click(int index);
    void Command3_Click();
    void List1_Click(int row);
    void Text1_LostFocus();
    void Command2_Click();
    void Command1_Click();
    void Text2_LostFocus();
    void Command7_Click();
    void Command4_Click();
    void Command6_Click();
    void Command5_Click();

    // Closes without ending the program, whatever the method (the main window's minimize).
    void closeQuietly();

signals:
    // Closed with no method chosen: the program ends.
    void programEndWanted();
    // The window is closing; it deletes itself afterwards.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape does what "Exit" does, as people expect of a panel like this.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();
    void Form_Load();
    void showPortLook(bool open);
    void showPortClosedByUser(bool wasOpen);
    void listPorts(const PortSearchResult& found);
    // The buttons that start an exchange with the monitor show whether one runs.
    void showMonitorBusy(bool busy);
    void enableFindButtons();

    ComPanelContext context_;
    QButtonGroup* methodGroup_ = nullptr;
    std::array<QRadioButton*, 3> methodButtons_{};
    QPushButton* findE1Button_ = nullptr;
    QPushButton* findE2Button_ = nullptr;
    QListWidget* statusListWidget_ = nullptr;
    QPushButton* listPortsButton_ = nullptr;
    QListWidget* portsList_ = nullptr;
    QLineEdit* comPortBox_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::array<QRadioButton*, 3> baudButtons_{};
    QLineEdit* tcpPortBox_ = nullptr;
    QPushButton* startServerButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    std::unique_ptr<ListWidgetStatusList> statusLines_;
    std::unique_ptr<WidgetStatusBox> portLook_;
    LostFocusWatcher lostFocus_;
    // The ports of the last search, in the order of the list.
    std::vector<int> portsFound_;
    bool monitorBusy_ = false;
    bool quietClose_ = false;
};
