// The monitor setup window's controls and handlers.
#include "monitor_setup/util_window.h"

#include "monitor_setup/monitor_setup.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kTypicalValues = "    Typical Setting Values:\r\n\r\n"
                                   "SPLIT-60: Type:100/Range:5\r\n"
                                   "SPLIT-100: Type:167/Range:5\r\n"
                                   "CLAMP-100: Type:167/Range:5\r\n"
                                   "SPLIT-200: Type:167/Range:4\r\n"
                                   "CLAMP-200: Type:167/Range:4\r\n";

// The buttons whose actions talk to the monitor.
const char* const kMonitorButtons[] = {"Command1", "Command2", "Command3", "Command4",  "Command6",
                                       "Command7", "Command9", "Command10", "Command15", "Command16"};

const QString kMonitorBusy = QStringLiteral("Unavailable while the monitor is busy with a command.");

std::string text(const QLineEdit* box)
{
    return box->text().toStdString();
}

// A checked box's value goes to the monitor; a refused one is shown.
template <typename T, typename Write>
void apply(MonitorSetup& setup, const BoxVerdict<T>& verdict, Write write)
{
    if (verdict.value)
        write(*verdict.value);
    else
        setup.refuse(verdict.refusal);
}

QLineEdit* addBox(QGridLayout* grid, int row, const char* caption, const char* objectName, const QString& group)
{
    auto* box = new QLineEdit;
    box->setObjectName(objectName);
    auto* label = new QLabel(caption);
    label->setBuddy(box);
    box->setAccessibleName(group + ' ' + QString(caption).remove('&'));
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

QPushButton* addButton(QWidget* owner, const char* caption, const char* objectName, const QString& group,
                       void (KVO_Util::*handler)(), KVO_Util* window)
{
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(objectName);
    button->setAccessibleName(group.isEmpty() ? QString(caption) : group + ' ' + caption);
    QObject::connect(button, &QPushButton::clicked, window, handler);
    return button;
}

} // namespace

KVO_Util::KVO_Util(const UtilWindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      statusListWidget_(new QListWidget),
      statusList_(*statusListWidget_)
{
    setObjectName("KVO_Util");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Energy Consumption Monitor / Logger SETUP");
    buildControls();
    Form_Load();
    MonitorSetup& setup = context_.setup;
    setup.statusList().mirrorTo(statusList_, this);
    connect(&setup, &MonitorSetup::busyChanged, this, &KVO_Util::showMonitorBusy);
    showMonitorBusy(setup.busy());
}

void KVO_Util::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* menu = new QMenuBar(this);
    QAction* exitMenu = menu->addAction("Exit");
    exitMenu->setObjectName("MnuExit");
    connect(exitMenu, &QAction::triggered, this, &KVO_Util::Command5_Click);
    layout->setMenuBar(menu);

    auto* ctFrame = new QGroupBox("CT Setup");
    auto* ctLayout = new QGridLayout(ctFrame);
    typicalValuesBox_ = new QPlainTextEdit;
    typicalValuesBox_->setObjectName("Text12");
    typicalValuesBox_->setAccessibleName("Typical Setting Values");
    typicalValuesBox_->setReadOnly(true);
    typicalValuesBox_->setTabChangesFocus(true);
    ctLayout->addWidget(typicalValuesBox_, 0, 0, 2, 1);
    // Both channels' frames get the same size and place in their column.
    const struct {
        const char* frame;
        const char* accessible;
        const char* typeName;
        const char* rangeName;
        const char* buttonName;
        QLineEdit** type;
        QLineEdit** range;
        void (KVO_Util::*handler)();
    } channels[] = {{"CH 1 ", "CH 1", "Text1", "Text2", "Command1", &ch1TypeBox_, &ch1RangeBox_, &KVO_Util::Command1_Click},
                    {"CH2", "CH2", "Text3", "Text4", "Command2", &ch2TypeBox_, &ch2RangeBox_, &KVO_Util::Command2_Click}};
    int row = 0;
    for (const auto& channel : channels) {
        auto* frame = new QGroupBox(channel.frame);
        auto* grid = new QGridLayout(frame);
        *channel.type = addBox(grid, 0, "&Type", channel.typeName, channel.accessible);
        *channel.range = addBox(grid, 1, "&Range", channel.rangeName, channel.accessible);
        grid->addWidget(addButton(frame, "Accept Changes", channel.buttonName, channel.accessible, channel.handler, this),
                        2, 0, 1, 2);
        ctLayout->addWidget(frame, row++, 1);
    }
    layout->addWidget(ctFrame);

    auto* middle = new QHBoxLayout;
    auto* ptFrame = new QGroupBox("PT Setup");
    auto* ptGrid = new QGridLayout(ptFrame);
    ptTypeBox_ = addBox(ptGrid, 0, "T&ype", "Text6", "PT");
    ptRangeBox_ = addBox(ptGrid, 1, "R&ange", "Text7", "PT");
    ptGrid->addWidget(addButton(ptFrame, "Accept Changes", "Command4", "PT", &KVO_Util::Command4_Click, this), 2, 0, 1, 2);
    middle->addWidget(ptFrame);

    auto* intervalFrame = new QGroupBox("Data Logger Storage Interval");
    auto* intervalGrid = new QGridLayout(intervalFrame);
    intervalBox_ = addBox(intervalGrid, 0, "&Minutes", "Text5", "Storage Interval");
    intervalGrid->addWidget(addButton(intervalFrame, "Accept Changes", "Command3", "Storage Interval",
                                      &KVO_Util::Command3_Click, this),
                            1, 0, 1, 2);
    middle->addWidget(intervalFrame);

    auto* firmwareFrame = new QGroupBox("Firmware Version");
    auto* firmwareLayout = new QVBoxLayout(firmwareFrame);
    firmwareBox_ = new QLineEdit;
    firmwareBox_->setObjectName("Text8");
    firmwareBox_->setAccessibleName("Firmware Version");
    firmwareLayout->addWidget(firmwareBox_);
    middle->addWidget(firmwareFrame);

    auto* idFrame = new QGroupBox("Device ID");
    auto* idLayout = new QVBoxLayout(idFrame);
    deviceIdBox_ = new QLineEdit;
    deviceIdBox_->setObjectName("Text9");
    deviceIdBox_->setAccessibleName("Device ID");
    idLayout->addWidget(deviceIdBox_);
    idLayout->addWidget(addButton(idFrame, "Accept Changes", "Command7", "Device ID", &KVO_Util::Command7_Click, this));
    middle->addWidget(idFrame);
    layout->addLayout(middle);

    auto* commandsFrame = new QGroupBox("KVO Utility Commands");
    auto* commands = new QGridLayout(commandsFrame);
    commands->addWidget(addButton(commandsFrame, "Send Acknowledge", "Command9", "", &KVO_Util::Command9_Click, this), 0, 0);
    auto* responseLabel = new QLabel("Response");
    responseBox_ = new QLineEdit;
    responseBox_->setObjectName("Text10");
    responseBox_->setAccessibleName("Response");
    responseBox_->setReadOnly(true);
    responseLabel->setBuddy(responseBox_);
    commands->addWidget(responseLabel, 0, 1);
    commands->addWidget(responseBox_, 0, 2);
    commands->addWidget(addButton(commandsFrame, "Reset KVO-7730", "Command10", "", &KVO_Util::Command10_Click, this), 1, 0);
    commands->addWidget(addButton(commandsFrame, "Reset Static Pre-Reset Values", "Command11", "",
                                  &KVO_Util::Command11_Click, this),
                        1, 1, 1, 2);
    commands->addWidget(addButton(commandsFrame, "Toggle CH1 Polarity", "Command15", "", &KVO_Util::Command15_Click, this), 2, 0);
    commands->addWidget(addButton(commandsFrame, "Toggle CH2 Polarity", "Command16", "", &KVO_Util::Command16_Click, this),
                        2, 1, 1, 2);
    layout->addWidget(commandsFrame);

    layout->addWidget(addButton(this, "Read KVO-7730 Settings", "Command6", "", &KVO_Util::Command6_Click, this));
    statusListWidget_->setObjectName("List1");
    statusListWidget_->setAccessibleName("Status");
    layout->addWidget(statusListWidget_);
    layout->addWidget(addButton(this, "Exit", "Command5", "", &KVO_Util::Command5_Click, this));
    for (const char* name : kMonitorButtons)
        monitorButtons_.push_back(findChild<QPushButton*>(name));
}

void KVO_Util::showMonitorBusy(bool busy)
{
    for (QPushButton* button : monitorButtons_) {
        button->setEnabled(!busy);
        button->setAccessibleDescription(busy ? kMonitorBusy : QString());
    }
}

void KVO_Util::Form_Load()
{
    statusList_.clear();
    QFont small = typicalValuesBox_->font();
    small.setPointSize(8);
    small.setBold(false);
    typicalValuesBox_->setFont(small);
    typicalValuesBox_->setPlainText(QString(kTypicalValues).remove('\r'));
}

void KVO_Util::Command1_Click()
{
    apply(context_.setup, currentTransformerBoxes(1, text(ch1TypeBox_), text(ch1RangeBox_)),
          [this](TypeAndRange ct) { context_.setup.writeCurrentTransformer(1, ct.first, ct.second); });
}

void KVO_Util::Command2_Click()
{
    apply(context_.setup, currentTransformerBoxes(2, text(ch2TypeBox_), text(ch2RangeBox_)),
          [this](TypeAndRange ct) { context_.setup.writeCurrentTransformer(2, ct.first, ct.second); });
}

void KVO_Util::Command3_Click()
{
    apply(context_.setup, storageIntervalBox(text(intervalBox_)),
          [this](std::uint8_t minutes) { context_.setup.writeStorageInterval(minutes); });
}

void KVO_Util::Command4_Click()
{
    apply(context_.setup, potentialTransformerBoxes(text(ptTypeBox_), text(ptRangeBox_)),
          [this](TypeAndRange pt) { context_.setup.writePotentialTransformer(pt.first, pt.second); });
}

void KVO_Util::Command6_Click()
{
    QLineEdit* const boxes[] = {ch1TypeBox_, ch1RangeBox_, ch2TypeBox_, ch2RangeBox_, ptTypeBox_,
                                ptRangeBox_, intervalBox_, firmwareBox_, deviceIdBox_};
    for (QLineEdit* box : boxes)
        box->clear();
    context_.setup.readSettings(this, [this](const std::optional<MonitorSettings>& settings) {
        if (settings)
            showSettings(*settings);
    });
}

void KVO_Util::showSettings(const MonitorSettings& settings)
{
    const SettingsTexts texts = settingsTexts(settings, context_.decimalSymbol);
    const std::pair<QLineEdit*, const std::string*> filled[] = {
        {ch1TypeBox_, &texts.Text1}, {ch1RangeBox_, &texts.Text2}, {ch2TypeBox_, &texts.Text3},
        {ch2RangeBox_, &texts.Text4}, {ptTypeBox_, &texts.Text6},  {ptRangeBox_, &texts.Text7},
        {intervalBox_, &texts.Text5}, {firmwareBox_, &texts.Text8}, {deviceIdBox_, &texts.Text9}};
    for (const auto& [box, value] : filled)
        box->setText(QString::fromStdString(*value));
}

void KVO_Util::Command7_Click()
{
    apply(context_.setup, deviceIdBox(text(deviceIdBox_)),
          [this](std::uint8_t id) { context_.setup.writeDeviceId(id); });
}

void KVO_Util::Command9_Click()
{
    context_.setup.sendAcknowledge(this, [this](AcknowledgeResponse response) {
        if (const auto shown = responseBoxText(response))
            responseBox_->setText(QString::fromStdString(*shown));
    });
}

void KVO_Util::Command10_Click()
{
    context_.setup.resetMonitor();
}

void KVO_Util::Command11_Click()
{
    context_.setup.clearPreResetValues();
}

void KVO_Util::Command15_Click()
{
    context_.setup.togglePolarity(1);
}

void KVO_Util::Command16_Click()
{
    context_.setup.togglePolarity(2);
}

void KVO_Util::closeEvent(QCloseEvent* event)
{
    emit unloaded();
    event->accept();
}

void KVO_Util::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
