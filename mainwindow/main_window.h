// The main window: status boxes, status list, menus, timers, and hiding in the
// notification area while minimized.
#pragma once

#include "mainwindow/list_widget_status_list.h"
#include "mainwindow/widget_status_box.h"

#include <QMainWindow>
#include <QTimer>
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

    StatusList& List1() { return *list1Status_; }
    StatusBox& portBox() { return text1Status_; }
    StatusBox& realTimeBox() { return text2Status_; }
    StatusBox& serverBox() { return text12Status_; }
    QLineEdit& diagnosticText(int number);
    QTreeWidget& ListView1() { return *listView1_; }

    QTimer& Timer1() { return timers_[0]; }
    QTimer& Timer2() { return timers_[1]; }
    QTimer& Timer3() { return timers_[2]; }
    QTimer& Timer4() { return timers_[3]; }
    QTimer& Timer5() { return timers_[4]; }

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
    void buildTimers();
    void Form_Resize();
    void Command1_Click();
    int twips(int value) const;
    void placeTwips(QWidget& widget, int left, int top, int width, int height) const;

    TrayIcon& tray_;
    QWidget* central_ = new QWidget(this);
    QLineEdit* text1_ = makeLineEdit("Text1");
    QLineEdit* text2_ = makeLineEdit("Text2");
    QLineEdit* text12_ = makeLineEdit("Text12");
    QListWidget* list1_ = nullptr;
    QTreeWidget* listView1_ = nullptr;
    std::array<QLineEdit*, 9> diagnostics_{};  // Text3 to Text11
    std::array<QWidget*, 6> hiddenButtons_{};  // Command2 to Command7
    std::array<QTimer, 5> timers_;
    WidgetStatusBox text1Status_{*text1_};
    WidgetStatusBox text2Status_{*text2_};
    WidgetStatusBox text12Status_{*text12_};
    std::unique_ptr<ListWidgetStatusList> list1Status_;
};
