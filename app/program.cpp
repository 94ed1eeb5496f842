// Wiring of the main window's menus and timers to the link, and the start-up and
// shut-down sequences.
#include "app/program.h"

#include "common/number_text.h"
#include "common/support_address.h"
#include "mainwindow/main_window.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/system_locale.h"
#include "platform/tray_icon.h"
#include "web/web_request.h"

#include <QAction>
#include <QCoreApplication>
#include <QTreeWidget>

namespace {

const std::string kDesignCaption = "KVO-7730 Rida Download and Real-Time Software";
const std::string kTrayTip = "KVO-7730 Resident Server";
constexpr double kAboutVersion = 1.01;
constexpr std::int16_t kWatchdogStartsStopped = 6;

} // namespace

Program::Program(MainWindow& window, Platform platform)
    : window_(window),
      platform_(platform),
      settings_(platform.store, state_),
      periodicSave_(settings_),
      displays_{window.List1(), window.portBox(), window.realTimeBox(), webRealTimeBox_, comPanelPortBox_},
      ports_(platform.port, platform.events, state_, platform.dialogs, displays_, hooks_),
      exchange_(platform.port, platform.clock, platform.events, window.List1(), ports_),
      realTime_(platform.port, platform.clock, platform.events, state_, platform.dialogs, displays_, hooks_, ports_,
                exchange_),
      decoder_(state_.readings, window.List1(), platform.clock,
               {[this] { webPosting_.PostReadings(); },
                [&window](const PowerFactorTexts& texts) {
                    window.diagnosticText(3).setText(QString::fromStdString(texts.Text3));
                    window.diagnosticText(4).setText(QString::fromStdString(texts.Text4));
                    window.diagnosticText(5).setText(QString::fromStdString(texts.Text5));
                    window.diagnosticText(6).setText(QString::fromStdString(texts.Text6));
                }}),
      receiver_(platform.port, platform.clock, platform.events, state_, window.List1(), decoder_),
      server_(platform.tcpserver, platform.events, state_,
              {window.serverBox(), window.List1(),
               [&window](const std::string& caption) { window.setWindowTitle(QString::fromStdString(caption)); }},
              systemNumberSymbols(),
              {[this](int channel) { realTime_.TogglePolarity(channel); },
               [this](bool on) { options_.setTriggerPushBox(on); }}),
      webClient_(
          [this](const std::string& webHost) {
              return webRequestText(state_.readings,
                                    {webHost, state_.VexUser, platform_.clock.now(), systemNumberSymbols()});
          },
          [&window](const std::string& request) {
              window.diagnosticText(11).setText(QString::fromStdString(request));
          }),
      webPosting_({state_, settings_, platform.dialogs, platform.clock, webRealTimeBox_, systemNumberSymbols(),
                   {[this] { return server_.clientConnected(); },
                    [this](const std::string& text) { server_.sendToClient(text); },
                    [this] { webClient_.connectTo(state_.WebHost); }}}),
      options_(OptionsContext{state_, settings_, platform.dialogs, systemNumberSymbols(),
                              [this] { webPosting_.RefreshTextBoxes(); }})
{
    hooks_.startTcpServer = [this] { server_.listenUnlessServing(); };
    hooks_.tcpServerClosed = [this] { return server_.isClosed(); };
    platform_.port.setReceiveHandler([this] { receiver_.onBytesArrived(); });
    platform_.port.setLostHandler([this] { ports_.portLost(); });
    connectMenus();
    connectTimers();
    QObject::connect(&window_, &MainWindow::closeRequested, [this] { Form_Unload(); });
    QObject::connect(&window_, &MainWindow::minimizingToTray, [this] { options_.closeUnlessMaximized(); });
    QObject::connect(&window_, &MainWindow::minimizingToTray, [this] { webPosting_.closeUnlessMaximized(); });
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
    auto on = [this](const char* name, auto handler) {
        QObject::connect(&window_.menuAction(name), &QAction::triggered, handler);
    };
    on("MnuExit", [this] { Form_Unload(); });
    on("MnuOpenCom", [this] { ports_.MnuOpenCom_Click(); });
    on("MnuClosePort", [this] { ports_.MnuClosePort_Click(); });
    on("MnuStartRTL", [this] { realTime_.MnuStartRTL_Click(); });
    on("MnuStopRTL", [this] { realTime_.MnuStopRTL_Click(); });
    on("MnuOpenSocket", [this] { server_.MnuOpenSocket_Click(); });
    on("MnuCloseSocket", [this] { server_.MnuCloseSocket_Click(); });
    on("MnuWritetoWeb", [this] { webPosting_.MnuWritetoWeb_Click(); });
    on("MnuOptions", [this] { options_.show(); });
    on("MnuAbout", [this] { platform_.dialogs.message(aboutText()); });
}

void Program::connectTimers()
{
    QObject::connect(&window_.Timer2(), &QTimer::timeout, [this] { realTime_.Timer2_Timer(); });
    QObject::connect(&window_.Timer3(), &QTimer::timeout, [this] {
        if (!realTime_.Timer3_Timer())
            window_.Timer3().stop();
    });
    QObject::connect(&window_.Timer4(), &QTimer::timeout, [this] { periodicSave_.tick(); });
    QObject::connect(&window_.Timer5(), &QTimer::timeout, [this] { server_.Timer5_Timer(); });
    window_.Timer2().start();
    window_.Timer4().start();
    window_.Timer5().start();
}

void Program::Form_Load()
{
    Dialogs& dialogs = platform_.dialogs;
    window_.setWindowTitle(QString::fromStdString(caption(state_.AppVersion)));
    window_.placeAtStart();
    dialogs.setBusyPointer(true);
    window_.hideDiagnosticControls();

    settings_.loadAtStartup();

    window_.ListView1().hide();
    window_.realTimeBox().show("Real-Time Data Stopped", status_look::Stopped);
    window_.serverBox().show("TCP Server Closed", status_look::Stopped);

    dialogs.setBusyPointer(true);
    ports_.CloseComPort();
    dialogs.setBusyPointer(true);

    state_.NoDataSeconds = kWatchdogStartsStopped;

    window_.show();
    window_.repaint();

    if (state_.StartupComIsOn)
        ports_.OpenComPort();

    dialogs.setBusyPointer(true);
    if (state_.StartupRTLisOn)
        window_.Timer3().start();

    dialogs.setBusyPointer(true);
    if (state_.StartupServerIsOn) {
        options_.tickWriteToWebServer();
        webPosting_.load();
    }

    dialogs.setBusyPointer(false);
    platform_.tray.setTip(kTrayTip);
}

void Program::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    ports_.CloseComPort();
    // Otherwise the status timer would open the server again during the pause.
    window_.Timer5().stop();
    server_.closeAtShutdown();
    settings_.saveAtShutdown();
    platform_.tray.remove();
    window_.hide();
    QCoreApplication::quit();
}
