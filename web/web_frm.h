// The web-posting window: its status boxes, the posting switch and the log of posts.
// The posting itself is the controller's; the window shows it and passes the user's
// actions on.
#pragma once

#include "mainwindow/widget_status_box.h"

#include <QWidget>
#include <array>
#include <memory>

class Dialogs;
class PersistedSettings;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QTreeView;
class WebPostingController;

class WebFrm : public QWidget {
    Q_OBJECT

public:
    // Loads the window without showing it.
    WebFrm(WebPostingController& posting, const PersistedSettings& settings, Dialogs& dialogs);

    // Shows the real-time status and the posting settings in Text1 to Text5.
    void RefreshTextBoxes();

protected:
    // The window is kept, hidden, so that posting and its log go on.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void MakeHeader();
    void Check1_Click(bool ticked);
    void Command2_Click();

    WebPostingController& posting_;
    const PersistedSettings& settings_;
    Dialogs& dialogs_;
    QLineEdit* realTimeBox_ = nullptr;        // Text1
    std::array<QLineEdit*, 4> settingBoxes_{}; // Text2 to Text5: account, interval, CH1 and CH2 power
    QCheckBox* writeEnableBox_ = nullptr;     // Check1
    QTreeView* logView_ = nullptr;            // ListView1
    QProgressBar* progressBar_ = nullptr;     // ProgressBar1
    std::unique_ptr<WidgetStatusBox> realTimeStatus_;
};
