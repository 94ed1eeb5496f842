// The service's start-up and shut-down, and its reports.
#include "service/service.h"

#include <string>

Service::Service(const CompanionPlatform& platform, ConsoleLog& log)
    : log_(log), companion_(platform, this), statusList_(log), portBox_(log), realTimeBox_(log), serverBox_(log)
{
    const Monitor& monitor = companion_.monitor();
    const ResidentServer& server = companion_.server();
    monitor.statusList().mirrorTo(statusList_, this);
    server.statusList().mirrorTo(statusList_, this);
    companion_.mqtt().statusList().mirrorTo(statusList_, this);
    companion_.dashboard().statusList().mirrorTo(statusList_, this);
    companion_.influx().statusList().mirrorTo(statusList_, this);
    monitor.portBox().mirrorTo(portBox_, this);
    monitor.realTimeBox().mirrorTo(realTimeBox_, this);
    server.statusBox().mirrorTo(serverBox_, this);
    connect(&companion_.server(), &ResidentServer::triggerPushRequested, this,
            [this](bool on) { companion_.setTriggerPush(on); });
    companion_.monitor().setAutomaticStartDiscovers(true);
}

bool Service::start(InstanceRun& run)
{
    companion_.loadSettings();
    const SettingsValues& settings = companion_.settings().values();
    const HeldClaim::Result claimed = run.claim(settings);
    if (!claimed.line.empty())
        log_.line(claimed.line);
    if (claimed.outcome == HeldClaim::Outcome::Refused)
        return false;
    log_.line("Monitor on COM port " + std::to_string(settings.ComPortNum) + ", TCP server on port "
              + std::to_string(settings.TCPportNum) + ".");
    if (!settings.StartupComIsOn)
        log_.line("The COM port is not opened at start-up: the setting \"StartupComIsOn\" is False.");
    companion_.begin();
    if (companion_.history().isOpen())
        log_.line("Readings history in " + companion_.history().path().toStdString() + ".");
    companion_.openPortAtStartup();
    companion_.armRealTimeAtStartup();
    return true;
}

void Service::stop()
{
    // Every request is answered once the save is done, so the loop ends whichever it sees.
    if (!companion_.end([this] { afterTheSave(); }) && companion_.ended())
        emit finished();
}

void Service::stopNow()
{
    if (companion_.ended())
        return;
    companion_.endNow();
    reportTheEnd();
}

void Service::afterTheSave()
{
    reportTheEnd();
    emit finished();
}

void Service::reportTheEnd()
{
    const Monitor& monitor = companion_.monitor();
    log_.line(std::to_string(monitor.packetsDecoded()) + " packets decoded in this run, "
              + std::to_string(monitor.packetsMissed()) + " missing between the first and the last.");
    log_.line(companion_.settings().storeSound() ? "Settings and counters saved; ending."
                                                 : "Ending without the settings and counters saved.");
}
