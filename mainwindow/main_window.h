// The main window: status boxes, status list, menus, timers, and hiding in the
// notification area while minimized.
#pragma once

#include "mainwindow/list_widget_status_list.h"
#include "mainwindow/widget_status_box.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QListWidget;
class QTreeWidget;
class TrayIcon;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(TrayIcon& tray);

    static constexpr int kStartWidthTwips = 7980;
    static constexpr int kStartHeightTwips = 3420;

    // Back to the start-up size, at the top left corner of the screen.
    void placeAtStart();

    // The controls that carry diagnostic copies only and are never shown.
    void hideDiagnosticControls();

    StatusList& statusList() { return *statusLines_; }
    StatusBox& portBox() { return portStatus_; }
    StatusBox& realTimeBox() { return realTimeStatus_; }
    StatusBox& serverBox() { return serverStatus_; }
    QLineEdit& diagnosticText(int number);
    QTreeWidget& recordList() { return *recordList_; }

    // The menu command with the given object name ("MnuStartRTL", ...).
    QAction& menuAction(const char* name);

    void ShowFromTray();

signals:
    // Minimizing sends the main window to the notification area; the secondary
    // windows that are not maximized close with it.
    void minimizingToTray();
    // The user closed the window.
    void closeRequested();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* makeLineEdit(const char* name);
    void buildControls();
    void buildMenus();
    void Form_Resize();
    void Command1_Click();
    int twips(int value) const;
    void placeTwips(QWidget& widget, int left, int top, int width, int height) const;

    TrayIcon& tray_;
    QWidget* central_ = new QWidget(this);
    QLineEdit* portBox_ = makeLineEdit("Text1");
    QLineEdit* realTimeBox_ = makeLineEdit("Text2");
    QLineEdit* serverBox_ = makeLineEdit("Text12");
    QListWidget* statusList_ = nullptr;
    QTreeWidget* recordList_ = nullptr;
    std::array<QLineEdit*, 9> diagnosticBoxes_{};  // Text3 to Text11
    std::array<QWidget*, 6> unusedButtons_{};  // Command2 to Command7
    WidgetStatusBox portStatus_{*portBox_};
    WidgetStatusBox realTimeStatus_{*realTimeBox_};
    WidgetStatusBox serverStatus_{*serverBox_};
    std::unique_ptr<ListWidgetStatusList> statusLines_;
};
