// The web-posting window's controls and events.
#include "web/web_frm.h"

#include "platform/dialogs.h"
#include "platform/twips.h"
#include "settings/persisted_settings.h"
#include "web/log_row.h"
#include "web/web_posting_controller.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kWidthTwips = 12600;
constexpr int kHeightTwips = 7200;

const char* const kStatusLabels[] = {"Communication", "Web Server Account", "Trig Interval (Sec)",
                                     "CH1 Trig Power (W)", "CH2 Trig Power (W)"};

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

WebFrm::WebFrm(WebPostingController& posting, const PersistedSettings& settings, Dialogs& dialogs)
    : posting_(posting), settings_(settings), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("WebFrm"));
    setWindowTitle(QStringLiteral("Send Data to Web Server"));
    buildControls();
    Form_Load();
}

void WebFrm::buildControls()
{
    auto* status = new QGroupBox(QStringLiteral("Status"), this);
    // One grid keeps the value boxes level with Text1 and the labels with Label1.
    auto* grid = new QGridLayout(status);
    for (int i = 0; i < static_cast<int>(std::size(kStatusLabels)); ++i) {
        auto* label = new QLabel(QString::fromLatin1(kStatusLabels[i]), status);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        auto* box = new QLineEdit(status);
        box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        box->setReadOnly(true);
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1);
        if (i == 0)
            realTimeBox_ = box;
        else
            settingBoxes_[static_cast<std::size_t>(i - 1)] = box;
    }
    realTimeStatus_ = std::make_unique<WidgetStatusBox>(*realTimeBox_);

    writeEnableBox_ = new QCheckBox(QStringLiteral("Enable Web Server"), this);
    writeEnableBox_->setObjectName(QStringLiteral("Check1"));

    logView_ = new QTreeView(this);
    logView_->setObjectName(QStringLiteral("ListView1"));
    logView_->setAccessibleName(QStringLiteral("Posted readings"));
    logView_->setRootIsDecorated(false);
    logView_->setItemsExpandable(false);
    logView_->setUniformRowHeights(true);
    logView_->setAllColumnsShowFocus(true);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);

    auto* command2 = new QPushButton(QStringLiteral("Clear List"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    connect(command2, &QPushButton::clicked, this, &WebFrm::Command2_Click);
    auto* command3 = new QPushButton(QStringLiteral("Hide"), this);
    command3->setObjectName(QStringLiteral("Command3"));
    connect(command3, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progressBar_, 1);
    buttons->addWidget(command2);
    buttons->addWidget(command3);
    auto* top = new QHBoxLayout;
    top->addWidget(status, 1);
    top->addWidget(writeEnableBox_, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(logView_, 1);
    layout->addLayout(buttons);
    resize(twipsToPixels(*this, kWidthTwips), twipsToPixels(*this, kHeightTwips));
}

void WebFrm::Form_Load()
{
    posting_.realTimeBox().mirrorTo(*realTimeStatus_, this);
    connect(&posting_, &WebPostingController::progressChanged, progressBar_, &QProgressBar::setValue);
    // Set after connecting, as a click would: ticking it saves the (unchanged) setting.
    connect(writeEnableBox_, &QCheckBox::toggled, this, &WebFrm::Check1_Click);
    writeEnableBox_->setChecked(settings_.values().VexWriteEnable);
    RefreshTextBoxes();
    MakeHeader();
}

void WebFrm::MakeHeader()
{
    logView_->setModel(&posting_.log());
    for (std::size_t column = 0; column < kLogColumns.size(); ++column)
        logView_->setColumnWidth(static_cast<int>(column), twipsToPixels(*this, kLogColumns[column].widthTwips));
}

void WebFrm::RefreshTextBoxes()
{
    const SettingsValues& settings = settings_.values();
    posting_.showRealTimeState();
    settingBoxes_[0]->setText(qText(settings.VexUser));
    settingBoxes_[1]->setText(QString::number(settings.VexThresT));
    settingBoxes_[2]->setText(QString::number(settings.VexThres1));
    settingBoxes_[3]->setText(QString::number(settings.VexThres2));
}

void WebFrm::Check1_Click(bool ticked)
{
    posting_.setWriteEnable(ticked);
}

void WebFrm::Command2_Click()
{
    // The answer may come after the program has begun to end and the window is gone.
    const QPointer<WebFrm> self(this);
    dialogs_.ask({"Are you sure you want to remove all displayed records from list?"}, [self](bool yes) {
        if (yes && self)
            self->posting_.log().clear();
    });
}

void WebFrm::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}
