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
    placeTwips(*portBox_, 180, 210, 1995, 285);
    placeTwips(*realTimeBox_, 2280, 210, 2115, 285);
    placeTwips(*serverBox_, 4530, 210, 2475, 285);
    // The status boxes have no label on the window; their names say what they watch.
    portBox_->setAccessibleName(QStringLiteral("COM port status"));
    realTimeBox_->setAccessibleName(QStringLiteral("Real-time status"));
    serverBox_->setAccessibleName(QStringLiteral("TCP server status"));

    statusList_ = new QListWidget(central_);
    statusList_->setObjectName(QStringLiteral("List1"));
    statusList_->setAccessibleName(QStringLiteral("Status"));
    statusList_->setFont(QFont(QStringLiteral("Arial"), 9));
    placeTwips(*statusList_, 150, 600, 7515, 1410);
    statusLines_ = std::make_unique<ListWidgetStatusList>(*statusList_);

    auto* command1 = new QPushButton(QStringLiteral("Delete Box and Contents"), central_);
    command1->setObjectName(QStringLiteral("Command1"));
    placeTwips(*command1, 10860, 8670, 2385, 285);
    connect(command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);

    for (std::size_t i = 0; i < diagnosticBoxes_.size(); ++i)
        diagnosticBoxes_[i] = makeLineEdit(("Text" + std::to_string(i + 3)).c_str());
    for (std::size_t i = 0; i < unusedButtons_.size(); ++i) {
        unusedButtons_[i] = new QPushButton(central_);
        unusedButtons_[i]->setObjectName(QStringLiteral("Command%1").arg(i + 2));
    }
    recordList_ = new QTreeWidget(central_);
    recordList_->setObjectName(QStringLiteral("ListView1"));
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
    addEntry(files, {"MnuExportHistory", "Export History..."});
    files->addSeparator();
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

    QMenu* view = addMenu(menuBar(), {"MnuView", "View"});
    addEntry(view, {"MnuLiveReadings", "Live Readings"});

    QMenu* help = addMenu(menuBar(), {"MnuHelp", "Help"});
    addEntry(help, {"MnuAbout", "About"});
}

QLineEdit& MainWindow::diagnosticText(int number)
{
    return *diagnosticBoxes_.at(static_cast<std::size_t>(number - 3));
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
    for (QLineEdit* edit : diagnosticBoxes_)
        edit->hide();
    for (QWidget* button : unusedButtons_)
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
    recordList_->clear();
    placeAtStart();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    emit closeRequested();
    event->accept();
}
