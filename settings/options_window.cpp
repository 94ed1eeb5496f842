// The options window's loading, its boxes' handlers and the polarity test display.
#include "settings/options_window.h"

#include "link/program_state.h"
#include "platform/dialogs.h"
#include "settings/persisted_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace {

constexpr int kPolarityTickMs = 1100;

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);

void paint(QLineEdit& box, const QColor& background)
{
    QPalette palette = box.palette();
    palette.setColor(QPalette::Base, background);
    box.setPalette(palette);
}

void paint(QLineEdit& box, const QColor& background, const QColor& foreground)
{
    QPalette palette = box.palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, foreground);
    box.setPalette(palette);
}

QString qText(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

std::string boxText(const QLineEdit& box)
{
    return box.text().toStdString();
}

} // namespace

OptionsFrm::OptionsFrm(const OptionsContext& context)
    : context_(context)
{
    setObjectName(QStringLiteral("OptionsFrm"));
    setWindowTitle(QStringLiteral("Options"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* central = new QWidget(this);
    setCentralWidget(central);
    controls_ = buildOptionsWindowControls(*central);

    QAction* exit = menuBar()->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("MnuExit"));
    connect(exit, &QAction::triggered, this, &OptionsFrm::close);

    Timer1_.setObjectName(QStringLiteral("Timer1"));
    connectControls();
    Form_Load();
}

void OptionsFrm::connectControls()
{
    ProgramState& state = context_.state;
    auto flagBox = [this](QCheckBox* box, bool& flag, std::string_view key) {
        connect(box, &QCheckBox::toggled, this, [this, &flag, key](bool checked) { flagBoxClicked(checked, flag, key); });
    };
    flagBox(controls_.Check1, state.StartupListen, "StartupListen");
    flagBox(controls_.Check2, state.StartupComIsOn, "StartupComIsOn");
    flagBox(controls_.Check3, state.StartupRTLisOn, "StartupRTLisOn");
    flagBox(controls_.Check4, state.StartupServerIsOn, "StartupServerIsOn");
    connect(controls_.Check5, &QCheckBox::toggled, this, &OptionsFrm::Check5_Click);

    lostFocus_.watch(*controls_.Text1, [this] { Text1_LostFocus(); });
    lostFocus_.watch(*controls_.Text3, [this, &state] {
        thresholdLostFocus(*controls_.Text3, kWriteIntervalField, state.VexThresT);
    });
    lostFocus_.watch(*controls_.Text4, [this, &state] {
        thresholdLostFocus(*controls_.Text4, kPowerChangeField, state.VexThres1);
    });
    lostFocus_.watch(*controls_.Text5, [this, &state] {
        thresholdLostFocus(*controls_.Text5, kPowerChangeField, state.VexThres2);
    });
    lostFocus_.watch(*controls_.Text7, [this] { Text7_LostFocus(); });
    lostFocus_.watch(*controls_.webHost, [this] { webHostLostFocus(); });

    connect(controls_.Command1, &QPushButton::clicked, this, &OptionsFrm::Command1_Click);
    connect(controls_.Command2, &QPushButton::clicked, this, &OptionsFrm::Command2_Click);
    connect(controls_.Command4, &QPushButton::clicked, this, &OptionsFrm::Command4_Click);
    connect(&Timer1_, &QTimer::timeout, this, &OptionsFrm::Timer1_Timer);
}

void OptionsFrm::Form_Load()
{
    const ProgramState& state = context_.state;
    // Boxes that change run their handlers, which save the values just loaded.
    controls_.Check5->setChecked(state.AutoWriteLocal != 0);
    controls_.Text1->setText(qText(state.VexUser));
    controls_.Text3->setText(QString::number(state.VexThresT));
    controls_.Text4->setText(QString::number(state.VexThres1));
    controls_.Text5->setText(QString::number(state.VexThres2));
    controls_.Text6->setText(qText(accountPageAddress(state.WebHost, state.VexUser)));
    controls_.webHost->setText(qText(state.WebHost));
    controls_.Check1->setChecked(state.StartupListen);
    controls_.Check2->setChecked(state.StartupComIsOn);
    controls_.Check3->setChecked(state.StartupRTLisOn);
    controls_.Text7->setText(qText(rateText(state.Rate, context_.symbols)));
}

void OptionsFrm::setTriggerPushBox(bool ticked)
{
    controls_.Check5->setChecked(ticked);
}

void OptionsFrm::tickWriteToWebServer()
{
    controls_.Check4->setChecked(true);
}

void OptionsFrm::flagBoxClicked(bool checked, bool& flag, std::string_view key)
{
    flag = checked;
    context_.settings.save(key);
}

void OptionsFrm::Check5_Click(bool checked)
{
    context_.state.AutoWriteLocal = checked ? 1 : 0;
    context_.settings.save("AutoWriteLocal");
}

void OptionsFrm::Text1_LostFocus()
{
    const auto user = acceptedUserName(boxText(*controls_.Text1));
    if (!user) {
        context_.dialogs.message(std::string(kUserErrorMessage));
        lostFocus_.giveFocusBack(*controls_.Text1);
        return;
    }
    context_.state.VexUser = *user;
    context_.settings.save("VexUser");
}

void OptionsFrm::thresholdLostFocus(QLineEdit& box, const ThresholdField& field, std::int16_t& value)
{
    const FieldVerdict verdict = checkThreshold(boxText(box), field, context_.symbols);
    if (verdict.correctedText)
        box.setText(qText(*verdict.correctedText));
    if (!verdict.message.empty())
        context_.dialogs.message(verdict.message);
    if (verdict.value)
        value = *verdict.value;
    if (verdict.focusBack)
        lostFocus_.giveFocusBack(box);
}

void OptionsFrm::Text7_LostFocus()
{
    const RateVerdict verdict = checkRate(boxText(*controls_.Text7), context_.symbols);
    switch (verdict.kind) {
    case RateVerdict::Kind::NotANumber:
        lostFocus_.giveFocusBack(*controls_.Text7);
        context_.dialogs.message(std::string(kRateNotANumberMessage));
        break;
    case RateVerdict::Kind::Accept:
        acceptRate(verdict.value);
        break;
    case RateVerdict::Kind::Confirm:
        if (context_.dialogs.askYesNo(rateQuestion(verdict.value, context_.symbols)))
            acceptRate(verdict.value);
        else
            lostFocus_.giveFocusBack(*controls_.Text7);
        break;
    }
}

void OptionsFrm::acceptRate(double value)
{
    context_.state.Rate = value;
    context_.settings.save("Rate");
}

void OptionsFrm::webHostLostFocus()
{
    const auto host = acceptedHost(boxText(*controls_.webHost));
    if (!host) {
        context_.dialogs.message(std::string(kHostErrorMessage));
        lostFocus_.giveFocusBack(*controls_.webHost);
        return;
    }
    controls_.webHost->setText(qText(*host));
    context_.state.WebHost = *host;
    context_.settings.save("WebHost");
}

void OptionsFrm::Command1_Click()
{
    context_.RefreshTextBoxes();
    close();
}

void OptionsFrm::Command2_Click()
{
    for (QLineEdit* box : {controls_.Text8, controls_.Text9}) {
        box->clear();
        paint(*box, kYellow);
    }
    Timer1_.setInterval(kPolarityTickMs);
    Timer1_.start();
    polarityTest_.start();
}

void OptionsFrm::Timer1_Timer()
{
    QLineEdit& result = *controls_.Text8;
    switch (polarityTest_.tick(context_.state.readings)) {
    case PolarityTest::Result::BaselineTaken:
        break;
    case PolarityTest::Result::NoEnergy:
        paint(result, kWhite);
        break;
    case PolarityTest::Result::Consumed:
        result.setText(QStringLiteral("Energy is consumed"));
        paint(result, kBlue, kWhite);
        break;
    case PolarityTest::Result::Generated:
        result.setText(QStringLiteral("Energy is generated"));
        paint(result, kYellow, kBlack);
        break;
    }
}

void OptionsFrm::Command4_Click()
{
    controls_.Text8->clear();
    paint(*controls_.Text8, kWhite, kBlack);
    Timer1_.stop();
}

void OptionsFrm::closeEvent(QCloseEvent* event)
{
    Timer1_.stop();
    emit unloaded();
    event->accept();
}
