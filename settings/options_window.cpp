// The options window's loading, its boxes' handlers and the polarity test display.
#include "settings/options_window.h"

#include "link/live_readings.h"
#include "platform/dialogs.h"
#include "settings/http_option_fields.h"
#include "settings/influx_option_fields.h"
#include "settings/mqtt_option_fields.h"
#include "settings/persisted_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
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

void keepRate(PersistedSettings& settings, double value)
{
    settings.set(&SettingsValues::Rate, value);
    settings.save(Setting::Rate);
}

Qt::CheckState triggerPushState(std::uint8_t autoWriteLocal)
{
    switch (autoWriteLocal) {
    case 0: return Qt::Unchecked;
    case kGreyTriggerPush: return Qt::PartiallyChecked;
    default: return Qt::Checked;
    }
}

std::uint8_t autoWriteLocalOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Unchecked: return 0;
    case Qt::PartiallyChecked: return kGreyTriggerPush;
    default: return 1;
    }
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
    auto flagBox = [this](QCheckBox* box, Flag flag, Setting key) {
        connect(box, &QCheckBox::toggled, this, [this, flag, key](bool checked) { flagBoxClicked(checked, flag, key); });
    };
    flagBox(controls_.listenAtStartBox, &SettingsValues::StartupListen, Setting::StartupListen);
    flagBox(controls_.openPortAtStartBox, &SettingsValues::StartupComIsOn, Setting::StartupComIsOn);
    flagBox(controls_.realTimeAtStartBox, &SettingsValues::StartupRTLisOn, Setting::StartupRTLisOn);
    flagBox(controls_.writeToWebAtStartBox, &SettingsValues::StartupServerIsOn, Setting::StartupServerIsOn);
    flagBox(controls_.localOnlyBox, &SettingsValues::TCPlocalOnly, Setting::TCPlocalOnly);
    flagBox(controls_.readingsAtStartBox, &SettingsValues::ShowReadingsAtStart, Setting::ShowReadingsAtStart);
    connect(controls_.triggerPushBox, &QCheckBox::stateChanged, this, &OptionsFrm::Check5_Click);

    lostFocus_.watch(*controls_.userBox, [this] { Text1_LostFocus(); });
    lostFocus_.watch(*controls_.intervalBox, [this] {
        thresholdLostFocus(*controls_.intervalBox, kWriteIntervalField, &SettingsValues::VexThresT);
    });
    lostFocus_.watch(*controls_.channel1ThresholdBox, [this] {
        thresholdLostFocus(*controls_.channel1ThresholdBox, kPowerChangeField, &SettingsValues::VexThres1);
    });
    lostFocus_.watch(*controls_.channel2ThresholdBox, [this] {
        thresholdLostFocus(*controls_.channel2ThresholdBox, kPowerChangeField, &SettingsValues::VexThres2);
    });
    lostFocus_.watch(*controls_.rateBox, [this] { Text7_LostFocus(); });
    lostFocus_.watch(*controls_.webHost, [this] { webHostLostFocus(); });

    connect(controls_.doneButton, &QPushButton::clicked, this, &OptionsFrm::Command1_Click);
    connect(controls_.polarityTestButton, &QPushButton::clicked, this, &OptionsFrm::Command2_Click);
    connect(controls_.polarityDoneButton, &QPushButton::clicked, this, &OptionsFrm::Command4_Click);
    connect(&Timer1_, &QTimer::timeout, this, &OptionsFrm::Timer1_Timer);
    connect(controls_.mqtt.applyButton, &QPushButton::clicked, this, &OptionsFrm::applyMqtt);
    connect(controls_.http.applyButton, &QPushButton::clicked, this, &OptionsFrm::applyHttp);
    connect(controls_.influx.applyButton, &QPushButton::clicked, this, &OptionsFrm::applyInflux);
    connect(controls_.influx.apiBox, &QComboBox::currentIndexChanged, this, &OptionsFrm::showInfluxApi);
}

void OptionsFrm::Form_Load()
{
    const SettingsValues& state = context_.settings.values();
    // Boxes that change run their handlers, which save the values just loaded.
    controls_.triggerPushBox->setCheckState(triggerPushState(state.AutoWriteLocal));
    controls_.userBox->setText(qText(state.VexUser));
    controls_.intervalBox->setText(QString::number(state.VexThresT));
    controls_.channel1ThresholdBox->setText(QString::number(state.VexThres1));
    controls_.channel2ThresholdBox->setText(QString::number(state.VexThres2));
    controls_.accountPageBox->setText(qText(accountPageAddress(state.WebHost, state.VexUser)));
    controls_.webHost->setText(qText(state.WebHost));
    controls_.listenAtStartBox->setChecked(state.StartupListen);
    controls_.openPortAtStartBox->setChecked(state.StartupComIsOn);
    controls_.realTimeAtStartBox->setChecked(state.StartupRTLisOn);
    controls_.localOnlyBox->setChecked(state.TCPlocalOnly);
    controls_.readingsAtStartBox->setChecked(state.ShowReadingsAtStart);
    controls_.rateBox->setText(qText(rateText(state.Rate, context_.symbols)));
    loadMqtt();
    loadHttp();
    loadInflux();
}

void OptionsFrm::loadMqtt()
{
    const SettingsValues& state = context_.settings.values();
    const MqttControls& c = controls_.mqtt;
    c.enableBox->setChecked(state.MqttEnable);
    c.hostBox->setText(qText(state.MqttHost));
    c.portBox->setText(QString::number(state.MqttPort));
    c.tlsBox->setChecked(state.MqttTLS);
    c.caFileBox->setText(qText(state.MqttCAFile));
    c.userBox->setText(qText(state.MqttUser));
    c.passwordBox->setText(qText(state.MqttPassword));
    c.topicBox->setText(qText(state.MqttTopic));
    c.topicBox->setPlaceholderText(QStringLiteral("kvo7730/com%1").arg(state.ComPortNum));
    c.discoveryBox->setChecked(state.MqttDiscovery);
}

void OptionsFrm::applyMqtt()
{
    const MqttControls& c = controls_.mqtt;
    const MqttVerdict verdict = checkMqttEntries({.enable = c.enableBox->isChecked(),
                                                  .host = boxText(*c.hostBox),
                                                  .port = boxText(*c.portBox),
                                                  .tls = c.tlsBox->isChecked(),
                                                  .caFile = boxText(*c.caFileBox),
                                                  .user = boxText(*c.userBox),
                                                  .password = boxText(*c.passwordBox),
                                                  .topic = boxText(*c.topicBox),
                                                  .discovery = c.discoveryBox->isChecked()});
    if (!verdict.settings) {
        c.message->setText(qText(verdict.message));
        using Box = MqttVerdict::Box;
        const std::pair<Box, QLineEdit*> boxes[] = {{Box::Host, c.hostBox}, {Box::Port, c.portBox},
                                                    {Box::CAFile, c.caFileBox}, {Box::User, c.userBox},
                                                    {Box::Topic, c.topicBox}};
        for (const auto& [box, edit] : boxes)
            if (box == verdict.box)
                edit->setFocus();
        return;
    }
    context_.settings.saveMqtt(*verdict.settings);
    loadMqtt();
    c.message->setText(verdict.settings->MqttEnable ? QStringLiteral("Saved; publishing starts anew with these settings.")
                                                    : QStringLiteral("Saved; publishing is off."));
    emit mqttSettingsSaved();
}

void OptionsFrm::loadHttp()
{
    const SettingsValues& state = context_.settings.values();
    const HttpControls& c = controls_.http;
    c.enableBox->setChecked(state.HttpEnable);
    c.portBox->setText(QString::number(state.HttpPort));
    c.localOnlyBox->setChecked(state.HttpLocalOnly);
}

void OptionsFrm::applyHttp()
{
    const HttpControls& c = controls_.http;
    const HttpVerdict verdict = checkHttpEntries(
        {.enable = c.enableBox->isChecked(), .port = boxText(*c.portBox), .localOnly = c.localOnlyBox->isChecked()},
        context_.settings.values().TCPportNum);
    if (!verdict.settings) {
        c.message->setText(qText(verdict.message));
        c.portBox->setFocus();
        return;
    }
    context_.settings.saveHttp(*verdict.settings);
    loadHttp();
    c.message->setText(verdict.settings->HttpEnable ? QStringLiteral("Saved; the dashboard listens anew with these settings.")
                                                    : QStringLiteral("Saved; the dashboard is off."));
    emit httpSettingsSaved();
}

void OptionsFrm::loadInflux()
{
    const SettingsValues& state = context_.settings.values();
    const InfluxControls& c = controls_.influx;
    c.enableBox->setChecked(state.InfluxEnable);
    c.urlBox->setText(qText(state.InfluxUrl));
    c.apiBox->setCurrentIndex(c.apiBox->findData(state.InfluxApi));
    c.resolutionBox->setCurrentIndex(c.resolutionBox->findData(static_cast<int>(state.InfluxResolution)));
    c.databaseBox->setText(qText(state.InfluxDatabase));
    c.userBox->setText(qText(state.InfluxUser));
    c.passwordBox->setText(qText(state.InfluxPassword));
    c.orgBox->setText(qText(state.InfluxOrg));
    c.bucketBox->setText(qText(state.InfluxBucket));
    c.tokenBox->setText(qText(state.InfluxToken));
    showInfluxApi();
}

void OptionsFrm::showInfluxApi()
{
    const InfluxControls& c = controls_.influx;
    const bool version2 = c.apiBox->currentData().toInt() == 2;
    c.version1Frame->setEnabled(!version2);
    c.version2Frame->setEnabled(version2);
}

void OptionsFrm::applyInflux()
{
    const InfluxControls& c = controls_.influx;
    const InfluxVerdict verdict
        = checkInfluxEntries({.enable = c.enableBox->isChecked(),
                              .url = boxText(*c.urlBox),
                              .api = c.apiBox->currentData().toInt(),
                              .database = boxText(*c.databaseBox),
                              .user = boxText(*c.userBox),
                              .password = boxText(*c.passwordBox),
                              .org = boxText(*c.orgBox),
                              .bucket = boxText(*c.bucketBox),
                              .token = boxText(*c.tokenBox),
                              .resolution = static_cast<UploadResolution>(c.resolutionBox->currentData().toInt())});
    if (!verdict.settings) {
        c.message->setText(qText(verdict.message));
        using Box = InfluxVerdict::Box;
        const std::pair<Box, QLineEdit*> boxes[] = {{Box::Url, c.urlBox},       {Box::Database, c.databaseBox},
                                                    {Box::User, c.userBox},     {Box::Org, c.orgBox},
                                                    {Box::Bucket, c.bucketBox}, {Box::Token, c.tokenBox}};
        for (const auto& [box, edit] : boxes)
            if (box == verdict.box)
                edit->setFocus();
        return;
    }
    context_.settings.saveInflux(*verdict.settings);
    loadInflux();
    c.message->setText(verdict.settings->InfluxEnable
                           ? QStringLiteral("Saved; uploads start anew with these settings.")
                           : QStringLiteral("Saved; uploads are off."));
    emit influxSettingsSaved();
}

void OptionsFrm::setTriggerPushBox(bool ticked)
{
    controls_.triggerPushBox->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void OptionsFrm::tickWriteToWebServer()
{
    controls_.writeToWebAtStartBox->setChecked(true);
}

void OptionsFrm::flagBoxClicked(bool checked, Flag flag, Setting key)
{
    context_.settings.set(flag, checked);
    context_.settings.save(key);
}

void OptionsFrm::Check5_Click(int state)
{
    // Grey only shows a stored 2: once ticked or cleared, the box toggles between those two.
    if (state != Qt::PartiallyChecked)
        controls_.triggerPushBox->setTristate(false);
    context_.settings.set(&SettingsValues::AutoWriteLocal, autoWriteLocalOf(static_cast<Qt::CheckState>(state)));
    context_.settings.save(Setting::AutoWriteLocal);
}

void OptionsFrm::Text1_LostFocus()
{
    const auto user = acceptedUserName(boxText(*controls_.userBox));
    if (!user) {
        context_.dialogs.message(std::string(kUserErrorMessage));
        lostFocus_.giveFocusBack(*controls_.userBox);
        return;
    }
    context_.settings.set(&SettingsValues::VexUser, *user);
    context_.settings.save(Setting::VexUser);
}

void OptionsFrm::thresholdLostFocus(QLineEdit& box, const ThresholdField& field, Threshold value)
{
    const FieldVerdict verdict = checkThreshold(boxText(box), field, context_.symbols);
    if (verdict.correctedText)
        box.setText(qText(*verdict.correctedText));
    if (!verdict.message.empty())
        context_.dialogs.message(verdict.message);
    if (verdict.value)
        context_.settings.set(value, *verdict.value);
    if (verdict.focusBack)
        lostFocus_.giveFocusBack(box);
}

void OptionsFrm::Text7_LostFocus()
{
    const RateVerdict verdict = checkRate(boxText(*controls_.rateBox), context_.symbols);
    switch (verdict.kind) {
    case RateVerdict::Kind::NotANumber:
        lostFocus_.giveFocusBack(*controls_.rateBox);
        context_.dialogs.message(std::string(kRateNotANumberMessage));
        break;
    case RateVerdict::Kind::BelowLowest:
        lostFocus_.giveFocusBack(*controls_.rateBox);
        context_.dialogs.message(std::string(kRateBelowLowestMessage));
        break;
    case RateVerdict::Kind::Accept:
        keepRate(context_.settings, verdict.value);
        break;
    case RateVerdict::Kind::Confirm:
        askToKeepRate(verdict.value);
        break;
    }
}

void OptionsFrm::askToKeepRate(double value)
{
    // The window may be closed before the answer comes; the price is the settings', not
    // the window's, so a Yes still keeps it.
    const QPointer<OptionsFrm> self(this);
    PersistedSettings& settings = context_.settings;
    context_.dialogs.ask({rateQuestion(value, context_.symbols)}, [self, &settings, value](bool yes) {
        if (yes)
            keepRate(settings, value);
        else if (self)
            self->lostFocus_.giveFocusBack(*self->controls_.rateBox);
    });
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
    context_.settings.set(&SettingsValues::WebHost, *host);
    context_.settings.save(Setting::WebHost);
}

void OptionsFrm::Command1_Click()
{
    emit webPostingRefreshWanted();
    close();
}

void OptionsFrm::Command2_Click()
{
    for (QLineEdit* box : {controls_.polarityResultBox, controls_.polaritySecondResultBox}) {
        box->clear();
        paint(*box, kYellow);
    }
    Timer1_.setInterval(kPolarityTickMs);
    Timer1_.start();
    polarityTest_.start();
}

void OptionsFrm::Timer1_Timer()
{
    QLineEdit& result = *controls_.polarityResultBox;
    switch (polarityTest_.tick(context_.readings)) {
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
    controls_.polarityResultBox->clear();
    paint(*controls_.polarityResultBox, kWhite, kBlack);
    Timer1_.stop();
}

void OptionsFrm::closeEvent(QCloseEvent* event)
{
    Timer1_.stop();
    emit unloaded();
    event->accept();
}
