// Wiring of the main window's menus and displays to the program's parts, and the
// start-up and shut-down sequences.
#include "app/program.h"

#include "common/number_text.h"
#include "common/support_address.h"
#include "mainwindow/main_window.h"
#include "platform/dialogs.h"
#include "platform/system_locale.h"
#include "platform/tray_icon.h"

#include <QAction>
#include <QTreeWidget>

namespace {

const std::string kDesignCaption = "KVO-7730 Rida Download and Real-Time Software";
const std::string kTrayTip = "KVO-7730 Resident Server";
constexpr double kAboutVersion = 1.01;

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

Program::Program(MainWindow& window, const Platform& platform)
    : window_(window),
      dialogs_(platform.companion.dialogs),
      tray_(platform.tray),
      companion_(platform.companion, this),
      webWindow_(companion_.webPosting(), companion_.settings(), platform.companion.dialogs),
      options_({.settings = companion_.settings(),
                .readings = companion_.monitor().readings(),
                .dialogs = platform.companion.dialogs,
                .symbols = systemNumberSymbols()}),
      comPanel_({.settings = companion_.settings(),
                 .monitor = companion_.monitor(),
                 .server = companion_.server(),
                 .dialogs = platform.companion.dialogs,
                 .portFolders = platform.portFolders}),
      util_({.setup = companion_.monitorSetup(), .decimalSymbol = systemNumberSymbols().decimal}),
      readings_({.monitor = companion_.monitor(),
                 .history = companion_.history(),
                 .settings = companion_.settings().values(),
                 .clock = platform.companion.clock},
                this),
      export_(companion_.history(), platform.companion.dialogs)
{
    connectMenus();
    connectDisplays();
    connectWindows();
}

std::string Program::caption(const std::string& version)
{
    return kDesignCaption + " Version " + version;
}

std::string Program::aboutText()
{
    return "KVO-7730 Resident Server Software " + generalNumberText(kAboutVersion)
        + " . This software requires firmware version 2.200 or higher. "
        + "Firmware updates, installer software and instructions may be obtained from " + std::string(kSupportAddress)
        + " .";
}

void Program::connectMenus()
{
    Monitor& monitor = companion_.monitor();
    auto on = [this](const char* name, auto handler) {
        connect(&window_.menuAction(name), &QAction::triggered, this, handler);
    };
    on("MnuExit", [this] { Form_Unload(); });
    on("MnuOPEN", [this] { comPanel_.show(); });
    on("MnuOpenCom", [&monitor] { monitor.openPort(); });
    on("MnuClosePort", [&monitor] { monitor.closePort(); });
    on("MnuStartRTL", [&monitor] { monitor.startRealTime(); });
    on("MnuStopRTL", [&monitor] { monitor.stopRealTime(); });
    on("MnuOpenSocket", [this] { companion_.server().MnuOpenSocket_Click(); });
    on("MnuCloseSocket", [this] { companion_.server().MnuCloseSocket_Click(); });
    on("MnuWritetoWeb", [this] { webWindow_.MnuWritetoWeb_Click(); });
    on("MnuOptions", [this] { options_.show(); });
    on("MnuUtil", [this] { util_.MnuUtil_Click(); });
    on("MnuAbout", [this] { dialogs_.message(aboutText()); });
    on("MnuLiveReadings", [this] { readings_.show(); });
    on("MnuExportHistory", [this] {
        export_.resetRange();
        export_.show();
        export_.raise();
        export_.activateWindow();
    });
}

void Program::connectDisplays()
{
    const Monitor& monitor = companion_.monitor();
    const ResidentServer& server = companion_.server();
    monitor.statusList().mirrorTo(window_.statusList(), &window_);
    server.statusList().mirrorTo(window_.statusList(), &window_);
    companion_.mqtt().statusList().mirrorTo(window_.statusList(), &window_);
    companion_.dashboard().statusList().mirrorTo(window_.statusList(), &window_);
    companion_.influx().statusList().mirrorTo(window_.statusList(), &window_);
    monitor.portBox().mirrorTo(window_.portBox(), &window_);
    monitor.realTimeBox().mirrorTo(window_.realTimeBox(), &window_);
    server.statusBox().mirrorTo(window_.serverBox(), &window_);
    connect(&server, &ResidentServer::captionChanged, &window_,
            [this](const std::string& caption) { window_.setWindowTitle(qText(caption)); });
    connect(&monitor, &Monitor::powerFactorsDecoded, &window_, [this](const PowerFactorTexts& texts) {
        window_.diagnosticText(3).setText(qText(texts.Text3));
        window_.diagnosticText(4).setText(qText(texts.Text4));
        window_.diagnosticText(5).setText(qText(texts.Text5));
        window_.diagnosticText(6).setText(qText(texts.Text6));
    });
    connect(&companion_.webPosting().webClient(), &WebClient::requestSent, &window_,
            [this](const std::string& request) { window_.diagnosticText(11).setText(qText(request)); });
}

void Program::connectWindows()
{
    connect(&companion_.webPosting(), &WebPostingController::readingsArrived, this, [this] { webWindow_.load(); });
    connect(&companion_.server(), &ResidentServer::triggerPushRequested, this,
            [this](bool on) { options_.setTriggerPushBox(on); });
    connect(&options_, &OptionsWindowOwner::webPostingRefreshWanted, this, [this] { webWindow_.RefreshTextBoxes(); });
    connect(&options_, &OptionsWindowOwner::mqttSettingsSaved, &companion_.mqtt(), &MqttPublisher::start);
    connect(&options_, &OptionsWindowOwner::httpSettingsSaved, &companion_.dashboard(), &DashboardServer::start);
    connect(&options_, &OptionsWindowOwner::influxSettingsSaved, &companion_.influx(), &InfluxUploader::start);
    connect(&window_, &MainWindow::closeRequested, this, &Program::Form_Unload);
    connect(&companion_.monitor(), &Monitor::comPanelWanted, this, [this] { comPanel_.show(); });
    connect(&companion_.monitor(), &Monitor::portSearchWanted, this, [this] { comPanel_.showAndListPorts(); });
    connect(&comPanel_, &ComPanelOwner::programEndWanted, this, &Program::Form_Unload);
    connect(&window_, &MainWindow::minimizingToTray, this, [this] {
        comPanel_.closeUnlessMaximized();
        util_.closeUnlessMaximized();
        options_.closeUnlessMaximized();
        webWindow_.closeUnlessMaximized();
        readings_.closeUnlessMaximized();
        export_.close();
    });
}

void Program::Form_Load()
{
    window_.setWindowTitle(qText(caption(kAppVersion)));
    window_.placeAtStart();
    dialogs_.setBusyPointer(true);
    window_.hideDiagnosticControls();

    companion_.loadSettings();

    window_.recordList().hide();
    window_.realTimeBox().show("Real-Time Data Stopped", status_look::Stopped);
    window_.serverBox().show("TCP Server Closed", status_look::Stopped);

    dialogs_.setBusyPointer(true);
    companion_.begin();
    dialogs_.setBusyPointer(true);

    window_.show();
    window_.repaint();

    companion_.openPortAtStartup();

    dialogs_.setBusyPointer(true);
    companion_.armRealTimeAtStartup();

    dialogs_.setBusyPointer(true);
    if (settings().StartupServerIsOn) {
        options_.tickWriteToWebServer();
        webWindow_.load();
    }

    if (settings().ShowReadingsAtStart)
        readings_.show();

    dialogs_.setBusyPointer(false);
    tray_.setTip(kTrayTip);
}

void Program::Form_Unload()
{
    // Every request is answered, so that the event loop ends whichever one it sees;
    // the first one only once everything is saved.
    if (!companion_.end([this] { afterTheSave(); }) && companion_.ended())
        emit finished();
}

void Program::afterTheSave()
{
    tray_.remove();
    window_.hide();
    emit finished();
}

void Program::unloadNow()
{
    const bool saved = companion_.ended();
    companion_.endNow();
    if (!saved)
        tray_.remove();
}
