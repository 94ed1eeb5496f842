// The main window's controls, menu tree, timers and notification-area behaviour.
#include "mainwindow/main_window.h"

#include "platform/tray_icon.h"
#include "platform/twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>

namespace {

struct MenuEntry {
    const char* name;
    const char* caption;
};

} // namespace

MainWindow::MainWindow(TrayIcon& tray)
    : tray_(tray)
{
    setObjectName(QStringLiteral("Main"));
    setCentralWidget(central_);
    buildControls();
    buildMenus();
    buildTimers();
    tray_.setDoubleClickHandler([this] { ShowFromTray(); });
}

int MainWindow::twips(int value) const
{
    return twipsToPixels(*this, value);
}

void MainWindow::placeTwips(QWidget& widget, int left, int top, int width, int height) const
{
    widget.setGeometry(twips(left), twips(top), twips(width), twips(height));
}

QLineEdit* MainWindow::makeLineEdit(const char* name)
{
    auto* edit = new QLineEdit(central_);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

void MainWindow::buildControls()
{
    placeTwips(*text1_, 180, 210, 1995, 285);
    placeTwips(*text2_, 2280, 210, 2115, 285);
    placeTwips(*text12_, 4530, 210, 2475, 285);

    list1_ = new QListWidget(central_);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setFont(QFont(QStringLiteral("Arial"), 9));
    placeTwips(*list1_, 150, 600, 7515, 1410);
    list1Status_ = std::make_unique<ListWidgetStatusList>(*list1_);

    auto* command1 = new QPushButton(QStringLiteral("Delete Box and Contents"), central_);
    command1->setObjectName(QStringLiteral("Command1"));
    placeTwips(*command1, 10860, 8670, 2385, 285);
    connect(command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);

    for (std::size_t i = 0; i < diagnostics_.size(); ++i)
        diagnostics_[i] = makeLineEdit(("Text" + std::to_string(i + 3)).c_str());
    for (std::size_t i = 0; i < hiddenButtons_.size(); ++i) {
        hiddenButtons_[i] = new QPushButton(central_);
        hiddenButtons_[i]->setObjectName(QStringLiteral("Command%1").arg(i + 2));
    }
    listView1_ = new QTreeWidget(central_);
    listView1_->setObjectName(QStringLiteral("ListView1"));
}

void MainWindow::buildMenus()
{
    auto addEntry = [this](auto* owner, const MenuEntry& entry) {
        QAction* action = owner->addAction(QString::fromLatin1(entry.caption));
        action->setObjectName(QString::fromLatin1(entry.name));
        return action;
    };
    auto addMenu = [](auto* owner, const MenuEntry& entry) {
        QMenu* menu = owner->addMenu(QString::fromLatin1(entry.caption));
        menu->setObjectName(QString::fromLatin1(entry.name));
        return menu;
    };

    QMenu* files = addMenu(menuBar(), {"MnuFiles", "Files"});
    addEntry(files, {"MnuExit", "Exit"});

    QMenu* communication = addMenu(menuBar(), {"MnuCom", "Communication"});
    QMenu* panel = addMenu(communication, {"MnuComSetup", "Communication Panel"});
    addEntry(panel, {"MnuOPEN", "OPEN"});
    for (const MenuEntry& entry : {MenuEntry{"MnuOpenCom", "Open COM Port"}, MenuEntry{"MnuClosePort", "Close COM Port"},
                                   MenuEntry{"MnuStartRTL", "Start Real-Time Data"},
                                   MenuEntry{"MnuStopRTL", "Stop Real-Time Data"},
                                   MenuEntry{"MnuOpenSocket", "Open Socket"}, MenuEntry{"MnuCloseSocket", "Close Socket"}})
        addEntry(communication, entry);

    addEntry(menuBar(), {"MnuWritetoWeb", "Write To Web"});
    addEntry(menuBar(), {"MnuOptions", "Options"});
    addEntry(menuBar(), {"MnuUtil", "KVO-7730 Utility"});

    QMenu* help = addMenu(menuBar(), {"MnuHelp", "Help"});
    addEntry(help, {"MnuAbout", "About"});
}

void MainWindow::buildTimers()
{
    const int intervals[] = {0, 1000, 3000, 3000, 800};
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        timers_[i].setParent(this);
        timers_[i].setObjectName(QStringLiteral("Timer%1").arg(i + 1));
        timers_[i].setInterval(intervals[i]);
    }
}

QLineEdit& MainWindow::diagnosticText(int number)
{
    return *diagnostics_.at(static_cast<std::size_t>(number - 3));
}

QAction& MainWindow::menuAction(const char* name)
{
    auto* action = findChild<QAction*>(QString::fromLatin1(name));
    Q_ASSERT(action);
    return *action;
}

void MainWindow::placeAtStart()
{
    resize(twips(kStartWidthTwips), twips(kStartHeightTwips));
    move(0, 0);
}

void MainWindow::hideDiagnosticControls()
{
    for (QLineEdit* edit : diagnostics_)
        edit->hide();
    for (QWidget* button : hiddenButtons_)
        button->hide();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Hiding from inside the state change would be undone by the show that may
    // complete it, so the window goes to the notification area just after.
    if (event->type() == QEvent::WindowStateChange)
        QMetaObject::invokeMethod(this, &MainWindow::Form_Resize, Qt::QueuedConnection);
}

void MainWindow::Form_Resize()
{
    if (!isMinimized() || !isVisible())
        return;
    // Without a notification area there would be no way back to a hidden window:
    // it then stays minimized where the desktop keeps minimized windows.
    if (!tray_.isAvailable())
        return;
    tray_.add();
    emit minimizingToTray();
    hide();
}

void MainWindow::ShowFromTray()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    tray_.remove();
    showNormal();
}

void MainWindow::Command1_Click()
{
    listView1_->clear();
    placeAtStart();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    emit closeRequested();
    event->accept();
}
