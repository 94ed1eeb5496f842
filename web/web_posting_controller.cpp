// The posting decision, the interval clock, the push and the web request.
#include "web/web_posting_controller.h"

#include "link/link_state.h"
#include "link/live_readings.h"
#include "platform/clock.h"
#include "server/reading_lines.h"
#include "server/resident_server.h"
#include "settings/persisted_settings.h"
#include "web/log_row.h"
#include "web/web_request.h"

namespace {

constexpr int kIntervalClockMs = 1000;
constexpr int kProgressFull = 100;

} // namespace

WebPostingController::WebPostingController(const WebPostingSources& sources, QObject* parent)
    : QObject(parent), sources_(sources), webClient_([this](const std::string& webHost) {
          const SettingsValues& settings = sources_.settings.values();
          return webRequestText(sources_.readings,
                                {webHost, settings.VexUser, sources_.clock.now(), sources_.symbols});
      })
{
    intervalClock_.setObjectName(QStringLiteral("Timer1"));
    intervalClock_.setInterval(kIntervalClockMs);
    intervalClock_.setParent(this);
    connect(&intervalClock_, &QTimer::timeout, this, &WebPostingController::Timer1_Timer);
}

void WebPostingController::PostReadings(const LiveReadings& readings)
{
    emit readingsArrived();
    emit progressChanged(0);
    if (!intervalClock_.isActive())
        intervalClock_.start();
    realTimeBox_.show("Real-Time Data Started", status_look::Good);
    const SettingsValues& settings = sources_.settings.values();
    if (const auto row = triggers_.Vex(readings, {settings.VexThres1, settings.VexThres2}))
        post(*row, readings);
}

void WebPostingController::post(const PostRow& row, const LiveReadings& readings)
{
    const SettingsValues& settings = sources_.settings.values();
    log_.addRow(logRowTexts(row, sources_.clock.now(), sources_.symbols));
    if (sources_.server.clientConnected() && settings.AutoWriteLocal == 1)
        sources_.server.sendToClient(allLine(readings, sources_.symbols) + "\r\n");
    if (settings.VexWriteEnable) {
        webClient_.connectTo(settings.WebHost);
        // Full until the next packet sets it back to 0.
        emit progressChanged(kProgressFull);
    }
}

void WebPostingController::Timer1_Timer()
{
    if (!triggers_.Timer1_Timer(sources_.link.RealTimeOn, sources_.settings.values().VexThresT))
        intervalClock_.stop();
}

void WebPostingController::setWriteEnable(bool on)
{
    sources_.settings.set(&SettingsValues::VexWriteEnable, on);
    sources_.settings.save(Setting::VexWriteEnable);
}

void WebPostingController::showRealTimeSwitched(bool on)
{
    if (on)
        realTimeBox_.show("Real-Time Data Active", status_look::Good);
    else
        realTimeBox_.show("Real-Time Data Stopped", status_look::Stopped);
}

void WebPostingController::showRealTimeState()
{
    if (sources_.link.RealTimeOn)
        realTimeBox_.show("Real-Time Data Started", status_look::Good);
    else
        realTimeBox_.show("Real-Time Data Stopped", status_look::Stopped);
}
