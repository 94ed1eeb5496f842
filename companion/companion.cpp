// Wiring of the monitor to the TCP server, web posting and MQTT, the periodic save,
// and the shared parts of start-up and shut-down.
#include "companion/companion.h"

#include "platform/event_loop.h"
#include "platform/system_locale.h"

namespace {

constexpr int kPeriodicSaveTickMs = 3000;

} // namespace

Companion::Companion(const CompanionPlatform& platform, QObject* parent)
    : QObject(parent),
      settings_(platform.store),
      monitor_({.port = platform.port, .clock = platform.clock, .events = platform.events, .dialogs = platform.dialogs},
               settings_.values(), this),
      monitorSetup_(monitor_, this),
      server_(platform.tcpserver, platform.events,
              {.settings = settings_.values(), .link = monitor_.state(), .readings = monitor_.readings()},
              systemNumberSymbols()),
      webPosting_({.settings = settings_,
                   .link = monitor_.state(),
                   .readings = monitor_.readings(),
                   .clock = platform.clock,
                   .server = server_,
                   .symbols = systemNumberSymbols()},
                  this),
      mqtt_(settings_.values(), MqttTiming{}, this),
      history_(platform.clock, monitor_.List1(), this),
      dashboard_(monitor_, history_, settings_.values(), platform.clock, this),
      influx_(history_, settings_.values(), UploadTiming{}, this),
      historyFile_(platform.historyFile)
{
    server_.setParent(this);
    periodicSaveTimer_.setObjectName(QStringLiteral("Timer4"));
    periodicSaveTimer_.setInterval(kPeriodicSaveTickMs);
    periodicSaveTimer_.setParent(this);
    connectParts();
}

void Companion::connectParts()
{
    connect(&monitor_, &Monitor::readingsDecoded, &webPosting_, &WebPostingController::PostReadings);
    connect(&monitor_, &Monitor::readingsDecoded, &mqtt_, &MqttPublisher::publishReadings);
    connect(&monitor_, &Monitor::readingsDecoded, &history_, &HistoryStore::record);
    connect(&history_, &HistoryStore::rowsWritten, &influx_, &InfluxUploader::sendNewRows);
    connect(&monitor_, &Monitor::realTimeSwitched, &webPosting_, &WebPostingController::showRealTimeSwitched);
    connect(&monitor_, &Monitor::tcpServerStartWanted, &server_, &ResidentServer::listenUnlessServing);
    connect(&monitor_, &Monitor::tcpServerStartIfClosedWanted, &server_, &ResidentServer::listenIfClosed);
    connect(&monitor_, &Monitor::portLost, &server_, &ResidentServer::stopServingStaleReadings);
    connect(&server_, &ResidentServer::polarityToggleRequested, this, [this](int channel) {
        monitor_.togglePolarityFromNetwork(channel, [this] { server_.polarityToggleDone(); });
    });
    connect(&periodicSaveTimer_, &QTimer::timeout, this, &Companion::periodicSaveTick);
}

void Companion::loadSettings()
{
    settings_.reportStoreFailuresTo([this](const std::string& line) { monitor_.List1().addLine(line); });
    settings_.loadAtStartup();
    for (const std::string& line : settings_.fallbacks())
        monitor_.List1().addLine(line);
    monitor_.restoreCounters(settings_.values().counters);
}

void Companion::begin()
{
    monitor_.begin();
    // Opened once the status list is shown, so that a damaged file is said where it is seen.
    history_.open(historyFile_);
    periodicSaveTimer_.start();
    server_.startStatusTimer();
    mqtt_.start();
    dashboard_.start();
    influx_.start();
}

void Companion::openPortAtStartup()
{
    if (!ending_ && settings_.values().StartupComIsOn)
        monitor_.openPort();
}

void Companion::armRealTimeAtStartup()
{
    if (settings_.values().StartupRTLisOn)
        monitor_.armAutomaticStart();
}

void Companion::periodicSaveTick()
{
    if (!periodicSave_.tick())
        return;
    settings_.setCounters(monitor_.counters());
    settings_.SaveCounters();
}

bool Companion::beginEnd()
{
    if (ending_)
        return false;
    ending_ = true;
    periodicSaveTimer_.stop();
    monitor_.end();
    dashboard_.stop();
    influx_.stop();
    return true;
}

bool Companion::end(std::function<void()> saved)
{
    if (!beginEnd())
        return false;
    server_.closeAtShutdown([this, saved = std::move(saved)] {
        if (finishEnd())
            saved();
    });
    return true;
}

void Companion::endNow()
{
    if (beginEnd())
        server_.closeAtShutdown([] {});
    finishEnd();
}

bool Companion::finishEnd()
{
    if (ended_)
        return false;
    ended_ = true;
    mqtt_.stop();
    history_.flush();
    saveSettings();
    return true;
}

void Companion::saveSettings()
{
    settings_.setCounters(monitor_.counters());
    settings_.saveAtShutdown();
}

void Companion::setTriggerPush(bool on)
{
    const std::uint8_t value = on ? 1 : 0;
    if (settings_.values().AutoWriteLocal == value)
        return;
    settings_.set(&SettingsValues::AutoWriteLocal, value);
    settings_.save(Setting::AutoWriteLocal);
}
