// The web-posting window: its status boxes, the posting switch, the log of posts and
// the clock of the reporting interval.
#pragma once

#include "common/number_format.h"
#include "mainwindow/widget_status_box.h"
#include "web/post_log.h"
#include "web/posting_triggers.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

class Clock;
class Dialogs;
class HeldStatusBox;
class PersistedSettings;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QTreeView;
struct ProgramState;

// What a post does besides its log row.
struct PostActions {
    // True while a client is connected to the resident TCP server (its state 7).
    std::function<bool()> tcpClientConnected;
    std::function<void(const std::string&)> sendToTcpClient;
    // Closes the web client and connects it to the web service; the request goes
    // out once the connection is established.
    std::function<void()> connectToWebService;
};

struct WebFrmParts {
    ProgramState& state;
    PersistedSettings& settings;
    Dialogs& dialogs;
    const Clock& clock;
    // Text1's state, which the real-time start and stop write as well.
    HeldStatusBox& realTimeBox;
    NumberSymbols symbols;
    PostActions actions;
};

class WebFrm : public QWidget {
    Q_OBJECT

public:
    // Loads the window without showing it.
    explicit WebFrm(const WebFrmParts& parts);
    ~WebFrm() override;

    // Runs once for every decoded packet: logs, pushes and posts when a post is due.
    void Vex();

    // Shows the real-time status and the posting settings in Text1 to Text5.
    void RefreshTextBoxes();

protected:
    // The window is kept, hidden, so that posting and its log go on.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void MakeHeader();
    void post(const PostRow& row);
    void Timer1_Timer();
    void Check1_Click(bool ticked);
    void Command2_Click();

    WebFrmParts parts_;
    PostingTriggers triggers_;
    PostLog log_;
    QTimer Timer1;
    std::array<QLineEdit*, 5> text_{};  // Text1 to Text5
    QCheckBox* Check1 = nullptr;
    QTreeView* ListView1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    std::unique_ptr<WidgetStatusBox> text1Status_;
};
