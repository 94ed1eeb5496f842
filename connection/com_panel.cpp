// The COM panel's controls and handlers.
#include "connection/com_panel.h"

#include "connection/port_entries.h"
#include "mainwindow/list_widget_status_list.h"
#include "mainwindow/widget_status_box.h"
#include "monitor/monitor.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "server/resident_server.h"
#include "settings/persisted_settings.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

// The method buttons' indexes and what each stands for.
constexpr int kUsbCableButton = 0;
constexpr int kZigbee1Button = 1;
constexpr int kZigbee2Button = 2;

template <typename Widget>
Widget* named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QPushButton* button(const char* objectName, const QString& caption, const QString& tip = {})
{
    auto* made = named(new QPushButton(caption), objectName, caption);
    made->setToolTip(tip);
    made->setAutoDefault(false);
    return made;
}

QGroupBox* frame(const char* objectName, const QString& caption)
{
    return named(new QGroupBox(caption), objectName, caption);
}

} // namespace

COMpanel::COMpanel(const ComPanelContext& context)
    : context_(context)
{
    setObjectName(QStringLiteral("COMpanel"));
    setWindowTitle(QStringLiteral("COM Control Panel"));
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    Form_Load();
}

COMpanel::~COMpanel() = default;

void COMpanel::build()
{
    auto* frame2 = frame("Frame2", QStringLiteral("Communication Method"));
    frame2->setToolTip(QStringLiteral("Select appropriate connection type."));
    methodGroup_ = new QButtonGroup(this);
    methodGroup_->setExclusive(true);
    const struct {
        const char* caption;
        const char* tip;
    } methods[] = {{"USB Cable", "Direct USB cable connection to KVO-7730."},
                   {"Zigbee Version 1", "Before Jan 2008"},
                   {"Zigbee Version 2", "After Jan 2008"}};
    auto* methodLayout = new QGridLayout(frame2);
    for (int i = 0; i < 3; ++i) {
        methodButtons_[i] = named(new QRadioButton(QString::fromLatin1(methods[i].caption)), "Option2",
                                  QString::fromLatin1(methods[i].caption));
        methodButtons_[i]->setProperty("index", i);
        methodButtons_[i]->setToolTip(QString::fromLatin1(methods[i].tip));
        methodGroup_->addButton(methodButtons_[i], i);
        methodLayout->addWidget(methodButtons_[i], i, 0);
    }
    findE1Button_ = button("Command6", QStringLiteral("Find E1"), QStringLiteral("Find Zigbee ver 1"));
    findE2Button_ = button("Command5", QStringLiteral("Find E2"), QStringLiteral("Find Zigbee ver 2"));
    methodLayout->addWidget(findE1Button_, 1, 1);
    methodLayout->addWidget(findE2Button_, 2, 1);

    statusListWidget_ = named(new QListWidget, "List2", QStringLiteral("Status"));
    statusLines_ = std::make_unique<ListWidgetStatusList>(*statusListWidget_);

    auto* frame1 = frame("Frame1", QStringLiteral("Communications"));
    listPortsButton_ = button("Command3", QStringLiteral("List Available Ports"),
                              QStringLiteral("Searches for available COM ports."));
    auto* portsLabel = named(new QLabel(QStringLiteral("Ports  Found")), "Label1", QStringLiteral("Ports  Found"));
    portsList_ = named(new QListWidget, "List1", QStringLiteral("Ports  Found"));
    portsList_->setToolTip(
        QStringLiteral("Click \"List Available Ports\" then click the displayed port number to select it."));
    portsLabel->setBuddy(portsList_);

    auto* frame4 = frame("Frame4", QStringLiteral("COM Port"));
    comPortBox_ = named(new QLineEdit, "Text1", QStringLiteral("COM Port"));
    portLook_ = std::make_unique<WidgetStatusBox>(*comPortBox_);
    // The status look on an editable box: the user types the port number here.
    comPortBox_->setReadOnly(false);
    (new QVBoxLayout(frame4))->addWidget(comPortBox_);
    openButton_ = button("Command2", QStringLiteral("Open Port"));
    closeButton_ = button("Command1", QStringLiteral("Close Port"));

    auto* baudLayout = new QVBoxLayout;
    const char* bauds[] = {"9600", "19,200", "115,200"};
    auto* baudGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        baudButtons_[i] = named(new QRadioButton(QString::fromLatin1(bauds[i])), "Option1", QString::fromLatin1(bauds[i]));
        baudButtons_[i]->setProperty("index", i);
        baudButtons_[i]->setEnabled(i == 1);
        baudGroup->addButton(baudButtons_[i], i);
        baudLayout->addWidget(baudButtons_[i]);
    }
    baudButtons_[1]->setChecked(true);

    auto* frame1Layout = new QGridLayout(frame1);
    frame1Layout->addWidget(listPortsButton_, 0, 0, 1, 2);
    frame1Layout->addWidget(portsLabel, 1, 0);
    frame1Layout->addWidget(portsList_, 2, 0, 3, 1);
    frame1Layout->addWidget(frame4, 2, 1);
    frame1Layout->addWidget(openButton_, 3, 1);
    frame1Layout->addWidget(closeButton_, 4, 1);
    frame1Layout->addLayout(baudLayout, 2, 2, 3, 1);

    auto* frame3 = frame("Frame3", QStringLiteral("Port Number"));
    tcpPortBox_ = named(new QLineEdit, "Text2", QStringLiteral("Port Number"));
    startServerButton_ = button("Command7", QStringLiteral("Start Server"));
    auto* frame3Layout = new QHBoxLayout(frame3);
    frame3Layout->addWidget(tcpPortBox_);
    frame3Layout->addWidget(startServerButton_);

    exitButton_ = button("Command4", QStringLiteral("Exit"));
    exitButton_->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(frame2, 0, 0);
    layout->addWidget(statusListWidget_, 0, 1);
    layout->addWidget(frame1, 1, 0, 1, 2);
    layout->addWidget(frame3, 2, 0);
    layout->addWidget(exitButton_, 2, 1, Qt::AlignRight);

    connect(methodGroup_, &QButtonGroup::idClicked, this, &COMpanel::Option2_Click);
    connect(findE1Button_, &QPushButton::clicked, this, &COMpanel::Command6_Click);
    connect(findE2Button_, &QPushButton::clicked, this, &COMpanel::Command5_Click);
    connect(listPortsButton_, &QPushButton::clicked, this, &COMpanel::Command3_Click);
    // A click selects the port, and so does Return on the list; not itemActivated, which
    // some styles raise on the same single click as itemClicked.
    connect(portsList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List1_Click(portsList_->row(item)); });
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* choose = new QShortcut(key, portsList_, nullptr, nullptr, Qt::WidgetShortcut);
        connect(choose, &QShortcut::activated, this, [this] { List1_Click(portsList_->currentRow()); });
    }
    connect(openButton_, &QPushButton::clicked, this, &COMpanel::Command2_Click);
    connect(closeButton_, &QPushButton::clicked, this, &COMpanel::Command1_Click);
    connect(startServerButton_, &QPushButton::clicked, this, &COMpanel::Command7_Click);
    connect(exitButton_, &QPushButton::clicked, this, &COMpanel::Command4_Click);
    lostFocus_.watch(*comPortBox_, [this] { Text1_LostFocus(); });
    lostFocus_.watch(*tcpPortBox_, [this] { Text2_LostFocus(); });
}

void COMpanel::showPortLook(bool open)
{
    portLook_->setLook(open ? status_look::Good : status_look::Stopped);
}

void COMpanel::showPortClosedByUser(bool wasOpen)
{
    // The box goes back to the port the settings name, whatever was typed into it.
    if (wasOpen)
        portLook_->show(std::to_string(context_.settings.values().ComPortNum), status_look::Stopped);
}

void COMpanel::Form_Load()
{
    const SettingsValues& values = context_.settings.values();
    connect(&context_.monitor, &Monitor::portOpened, this, [this] { showPortLook(true); });
    for (auto closed : {&Monitor::portClosed, &Monitor::portLost})
        connect(&context_.monitor, closed, this, [this] { showPortLook(false); });
    connect(&context_.monitor, &Monitor::portCloseChosen, this, &COMpanel::showPortClosedByUser);
    context_.monitor.discoveryList().mirrorTo(*statusLines_, this);
    connect(&context_.monitor, &Monitor::busyChanged, this, &COMpanel::showMonitorBusy);
    showMonitorBusy(context_.monitor.busy());
    showPortLook(context_.monitor.portOpen());
    comPortBox_->setText(QString::number(values.ComPortNum));
    tcpPortBox_->setText(QString::number(values.TCPportNum));
    switch (values.CommMethod) {
    case comm_method::ZigbeeVersion1: methodButtons_[kZigbee1Button]->setChecked(true); Option2_Click(kZigbee1Button); break;
    case comm_method::ZigbeeVersion2: methodButtons_[kZigbee2Button]->setChecked(true); Option2_Click(kZigbee2Button); break;
    case comm_method::UsbCable: methodButtons_[kUsbCableButton]->setChecked(true); Option2_Click(kUsbCableButton); break;
    default: break;
    }
    context_.settings.save(Setting::ZigbeeVersion);
}

void COMpanel::Option2_Click(int index)
{
    static constexpr std::uint8_t kMethods[] = {comm_method::UsbCable, comm_method::ZigbeeVersion1,
                                                comm_method::ZigbeeVersion2};
    if (index < 0 || index > 2)
        return;
    if (context_.settings.values().CommMethod != kMethods[index])
        context_.monitor.connectionMethodChanged();
    context_.settings.set(&SettingsValues::CommMethod, kMethods[index]);
    enableFindButtons();
}

void COMpanel::enableFindButtons()
{
    const std::uint8_t method = context_.settings.values().CommMethod;
    findE1Button_->setEnabled(!monitorBusy_ && method == comm_method::ZigbeeVersion1);
    findE2Button_->setEnabled(!monitorBusy_ && method == comm_method::ZigbeeVersion2);
}

void COMpanel::showMonitorBusy(bool busy)
{
    monitorBusy_ = busy;
    enableFindButtons();
    const QString note = busy ? QStringLiteral("Waiting: the monitor is busy with another command.") : QString();
    for (QPushButton* starter : {listPortsButton_, openButton_, findE1Button_, findE2Button_})
        starter->setAccessibleDescription(note);
    listPortsButton_->setEnabled(!busy);
}

void COMpanel::Command3_Click()
{
    context_.monitor.findPorts(this, [this](const PortSearchResult& found) { listPorts(found); });
}

void COMpanel::listPorts(const PortSearchResult& found)
{
    portsList_->clear();
    portsFound_ = found.ports;
    if (portsFound_.empty()) {
        context_.dialogs.message("No COM Port Found");
        return;
    }
    statusLines_->clear();
    statusLines_->addLine("Click the port number to select");
    const PortIdentities identities(context_.portFolders, systemSerialDevices());
    for (const int port : portsFound_) {
        const QString row = QString::fromStdString(identities.rowText(port));
        portsList_->addItem(row);
        // A long row is cut by the list's width; its tooltip shows it whole.
        portsList_->item(portsList_->count() - 1)->setToolTip(row);
    }
}

void COMpanel::List1_Click(int row)
{
    if (row < 0 || row >= static_cast<int>(portsFound_.size()))
        return;
    const auto port = static_cast<std::int16_t>(portsFound_[static_cast<std::size_t>(row)]);
    context_.settings.set(&SettingsValues::ComPortNum, port);
    context_.settings.save(Setting::ComPort);
    comPortBox_->setText(QString::number(port));
    if (const auto line = PortIdentities(context_.portFolders, systemSerialDevices()).followAdapter(port))
        statusLines_->addLine(*line);
    context_.dialogs.message("Set to COM " + std::to_string(port));
}

void COMpanel::Text1_LostFocus()
{
    const int current = context_.settings.values().ComPortNum;
    const PortEntryVerdict verdict =
        comPortEntry(comPortBox_->text().toStdString(), current, context_.monitor.portOpen());
    if (verdict.accepted) {
        context_.settings.set(&SettingsValues::ComPortNum, static_cast<std::int16_t>(*verdict.accepted));
        return;
    }
    if (!verdict.reason.empty()) {
        statusLines_->addLine(verdict.reason);
        comPortBox_->setText(QString::number(current));
    }
}

void COMpanel::Command2_Click()
{
    const int port = context_.settings.values().ComPortNum;
    if (port < 1 || port > 64) {
        context_.dialogs.message("No COM port selected. Try \"Find COM Port\" utility");
        return;
    }
    context_.monitor.openPort(this, [this](bool opened) {
        if (!opened)
            statusLines_->addLine("Error opening COM port");
    });
}

void COMpanel::Command1_Click()
{
    // The same steps as the main window's "Close COM Port".
    context_.monitor.closePort();
}

void COMpanel::Text2_LostFocus()
{
    const int previous = context_.settings.values().TCPportNum;
    const PortEntryVerdict verdict = tcpPortEntry(tcpPortBox_->text().toStdString(), previous);
    if (!verdict.accepted) {
        statusLines_->addLine(verdict.reason);
        tcpPortBox_->setText(QString::number(previous));
        return;
    }
    // The same number again: the client stays connected and the server as it is.
    if (*verdict.accepted == previous)
        return;
    context_.settings.set(&SettingsValues::TCPportNum, *verdict.accepted);
    if (const auto failure = context_.server.listenAgain()) {
        statusLines_->addLine("The TCP server cannot listen on port " + std::to_string(*verdict.accepted) + ": "
                              + *failure + ". Keeping port " + std::to_string(previous) + ".");
        context_.settings.set(&SettingsValues::TCPportNum, previous);
        tcpPortBox_->setText(QString::number(previous));
        context_.server.listenAgain();
        return;
    }
    context_.settings.save(Setting::TCPport);
}

void COMpanel::Command7_Click()
{
    context_.server.MnuOpenSocket_Click();
}

void COMpanel::Command6_Click()
{
    context_.monitor.findZigbeeNode(1);
}

void COMpanel::Command5_Click()
{
    context_.monitor.findZigbeeNode(2);
}

void COMpanel::Command4_Click()
{
    if (context_.settings.values().CommMethod == comm_method::None) {
        context_.dialogs.message("Please select a communication method before exiting.");
        return;
    }
    close();
}

void COMpanel::closeQuietly()
{
    quietClose_ = true;
    close();
}

void COMpanel::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit unloaded();
    if (!quietClose_ && context_.settings.values().CommMethod == comm_method::None) {
        context_.dialogs.message("A communication method has not been selected. The program will now end.");
        emit programEndWanted();
    }
}

void COMpanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    Command4_Click();
}
