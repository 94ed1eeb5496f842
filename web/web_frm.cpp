// The web-posting window's controls and events.
#include "web/web_frm.h"

#include "link/program_state.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/status_box.h"
#include "platform/twips.h"
#include "server/reading_lines.h"
#include "settings/persisted_settings.h"
#include "web/log_row.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kWidthTwips = 12600;
constexpr int kHeightTwips = 7200;
constexpr int kIntervalClockMs = 1000;

const char* const kStatusLabels[] = {"Communication", "Web Server Account", "Trig Interval (Sec)",
                                     "CH1 Trig Power (W)", "CH2 Trig Power (W)"};

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

WebFrm::WebFrm(const WebFrmParts& parts)
    : parts_(parts)
{
    setObjectName(QStringLiteral("WebFrm"));
    setWindowTitle(QStringLiteral("Send Data to Web Server"));
    Timer1.setParent(this);
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(kIntervalClockMs);
    connect(&Timer1, &QTimer::timeout, this, &WebFrm::Timer1_Timer);
    buildControls();
    Form_Load();
}

WebFrm::~WebFrm()
{
    parts_.realTimeBox.attach(nullptr);
}

void WebFrm::buildControls()
{
    auto* status = new QGroupBox(QStringLiteral("Status"), this);
    // One grid keeps the value boxes level with Text1 and the labels with Label1.
    auto* grid = new QGridLayout(status);
    for (std::size_t i = 0; i < text_.size(); ++i) {
        auto* label = new QLabel(QString::fromLatin1(kStatusLabels[i]), status);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        text_[i] = new QLineEdit(status);
        text_[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        text_[i]->setReadOnly(true);
        grid->addWidget(label, static_cast<int>(i), 0);
        grid->addWidget(text_[i], static_cast<int>(i), 1);
    }
    text1Status_ = std::make_unique<WidgetStatusBox>(*text_[0]);

    Check1 = new QCheckBox(QStringLiteral("Enable Web Server"), this);
    Check1->setObjectName(QStringLiteral("Check1"));

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    auto* command2 = new QPushButton(QStringLiteral("Clear List"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    connect(command2, &QPushButton::clicked, this, &WebFrm::Command2_Click);
    auto* command3 = new QPushButton(QStringLiteral("Hide"), this);
    command3->setObjectName(QStringLiteral("Command3"));
    connect(command3, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ProgressBar1, 1);
    buttons->addWidget(command2);
    buttons->addWidget(command3);
    auto* top = new QHBoxLayout;
    top->addWidget(status, 1);
    top->addWidget(Check1, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
    resize(twipsToPixels(*this, kWidthTwips), twipsToPixels(*this, kHeightTwips));
}

void WebFrm::Form_Load()
{
    parts_.realTimeBox.attach(text1Status_.get());
    // Set after connecting, as a click would: ticking it saves the (unchanged) setting.
    connect(Check1, &QCheckBox::toggled, this, &WebFrm::Check1_Click);
    Check1->setChecked(parts_.state.VexWriteEnable);
    RefreshTextBoxes();
    MakeHeader();
}

void WebFrm::MakeHeader()
{
    ListView1->setModel(&log_);
    for (std::size_t column = 0; column < kLogColumns.size(); ++column)
        ListView1->setColumnWidth(static_cast<int>(column), twipsToPixels(*this, kLogColumns[column].widthTwips));
}

void WebFrm::RefreshTextBoxes()
{
    const ProgramState& state = parts_.state;
    if (state.RealTimeOn)
        parts_.realTimeBox.show("Real-Time Data Started", status_look::Good);
    else
        parts_.realTimeBox.show("Real-Time Data Stopped", status_look::Stopped);
    text_[1]->setText(qText(state.VexUser));
    text_[2]->setText(QString::number(state.VexThresT));
    text_[3]->setText(QString::number(state.VexThres1));
    text_[4]->setText(QString::number(state.VexThres2));
}

void WebFrm::Vex()
{
    ProgressBar1->setValue(0);
    if (!Timer1.isActive())
        Timer1.start();
    parts_.realTimeBox.show("Real-Time Data Started", status_look::Good);
    const ProgramState& state = parts_.state;
    if (const auto row = triggers_.Vex(state.readings, {state.VexThres1, state.VexThres2}))
        post(*row);
}

void WebFrm::post(const PostRow& row)
{
    const ProgramState& state = parts_.state;
    log_.addRow(logRowTexts(row, parts_.clock.now(), parts_.symbols));
    if (parts_.actions.tcpClientConnected() && state.AutoWriteLocal == 1)
        parts_.actions.sendToTcpClient(allLine(state.readings, parts_.symbols) + "\r\n");
    if (state.VexWriteEnable) {
        parts_.actions.connectToWebService();
        // Full until the next packet sets it back to 0.
        ProgressBar1->setValue(ProgressBar1->maximum());
    }
}

void WebFrm::Timer1_Timer()
{
    if (!triggers_.Timer1_Timer(parts_.state.RealTimeOn, parts_.state.VexThresT))
        Timer1.stop();
}

void WebFrm::Check1_Click(bool ticked)
{
    parts_.state.VexWriteEnable = ticked;
    parts_.settings.save("VexWriteEnable");
}

void WebFrm::Command2_Click()
{
    if (parts_.dialogs.askYesNo("Are you sure you want to remove all displayed records from list?"))
        log_.clear();
}

void WebFrm::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}
