// The command line of kvo7730-setup and its actions over the setup utility's logic.
#include "setup_tool/setup_tool.h"

#include "monitor/monitor.h"
#include "platform/event_loop.h"
#include "platform/program_identity.h"
#include "platform/serial_port.h"

#include <QCommandLineParser>
#include <istream>
#include <ostream>

namespace {

// Long enough for the watchdog to see one second's packet.
constexpr int kRealTimeWatchMs = 2500;
constexpr int kWatchSliceMs = 100;
// Longer than the second between two packets.
constexpr int kNextPacketWaitMs = 1500;

const char* const kHelp =
    "Reads and changes the set-up of a KVO-7730 energy monitor: CT and PT type and range, data logger\n"
    "storage interval and device ID; resets its accumulated data; toggles a channel's polarity.\n"
    "\n"
    "Actions:\n"
    "  read                 prints the settings as name=value lines: ct1_type, ct1_range, ct2_type,\n"
    "                       ct2_range, pt_type, pt_range, interval, firmware, device_id\n"
    "  write SETTING...     writes ct1=TYPE,RANGE ct2=TYPE,RANGE pt=TYPE,RANGE interval=MINUTES id=ID\n"
    "                       (any of them; types 0-255, ranges 1-10, interval 1-255, ID 0-127),\n"
    "                       then reads the settings back to confirm them\n"
    "  ack                  checks that the monitor answers\n"
    "  reset                resets the monitor's accumulated data (asks first unless --yes)\n"
    "  polarity 1|2         toggles the polarity of channel 1 or 2 (asks first unless --yes)\n"
    "\n"
    "The port is the windowed program's COM port setting unless --com is given. The port must be\n"
    "free: stop kvo7730d or the windowed program kvo7730 first. A monitor streaming real-time data\n"
    "is stopped for the action and started again afterwards. Exit status: 0 when the monitor\n"
    "acknowledged everything, 1 when it did not, 2 for wrong arguments, 3 when the port cannot be opened.";

} // namespace

SetupToolCommandLine parseSetupToolCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kHelp);
    addCommonOptions(parser);
    const QCommandLineOption com("com", "Use COM port N (1-64) instead of the stored setting.", "N");
    const QCommandLineOption yes("yes", "Answer Yes to the questions of reset and polarity.");
    parser.addOptions({com, yes});
    addInstanceOption(parser);
    parser.addPositionalArgument("action", "read, write, ack, reset or polarity", "ACTION [ARGUMENTS]");

    SetupToolCommandLine result;
    if (!parser.parse(arguments)) {
        result.message = parser.errorText();
        return result;
    }
    applyCommonOptions(parser);
    if (const std::optional<QString> text = helpOrVersionText(parser)) {
        result.helpRequested = true;
        result.message = *text;
        return result;
    }
    SetupToolRequest request;
    request.assumeYes = parser.isSet(yes);
    const InstanceChoice instance = chosenInstance(parser);
    if (instance.problem) {
        result.message = *instance.problem;
        return result;
    }
    request.instance = instance.instance;
    if (parser.isSet(com)) {
        bool ok = false;
        const int port = parser.value(com).toInt(&ok);
        if (!ok || port < 1 || port > 64) {
            result.message = "Invalid value for --com: " + parser.value(com);
            return result;
        }
        request.comPort = port;
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        result.message = "Name an action: read, write, ack, reset or polarity (see --help).";
        return result;
    }
    const QString action = words.takeFirst();
    using Action = SetupToolRequest::Action;
    if (action == "write") {
        std::vector<std::string> settings;
        for (const QString& word : words)
            settings.push_back(word.toStdString());
        const ParsedAssignments parsed = parseSettingAssignments(settings, false);
        if (!parsed.changes || parsed.changes->empty()) {
            result.message = parsed.changes ? "Name the settings to write (see --help)."
                                            : QString::fromStdString(parsed.error);
            return result;
        }
        if (const auto outside = outsideMonitorLimits(*parsed.changes)) {
            result.message = QString::fromStdString(*outside);
            return result;
        }
        request.action = Action::Write;
        request.changes = *parsed.changes;
    } else if (action == "polarity" && words.size() == 1 && (words[0] == "1" || words[0] == "2")) {
        request.action = Action::Polarity;
        request.channel = words[0].toInt();
    } else if (words.isEmpty() && (action == "read" || action == "ack" || action == "reset")) {
        request.action = action == "read" ? Action::Read : action == "ack" ? Action::Ack : Action::Reset;
    } else {
        result.message = "Unknown action or arguments: " + (QStringList(action) + words).join(' ');
        return result;
    }
    result.request = request;
    return result;
}

void TerminalDialogs::message(const std::string& text)
{
    err_ << text << std::endl;
}

void TerminalDialogs::ask(const Question& question, std::function<void(bool yes)> answered)
{
    if (!question.title.empty())
        err_ << question.title << ": ";
    err_ << question.text << " [y/N] " << std::flush;
    if (assumeYes_) {
        err_ << "y" << std::endl;
        answered(true);
        return;
    }
    std::string answer;
    std::getline(in_, answer);
    answered(answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes");
}

void StreamStatusList::addLine(const std::string& line)
{
    out_ << line << std::endl;
}

SetupTool::SetupTool(Monitor& monitor, EventLoop& events, std::ostream& out, std::ostream& err)
    : monitor_(monitor), events_(events), setup_(monitor), out_(out), err_(err), lines_(err)
{
    monitor_.statusList().mirrorTo(lines_, this);
    setup_.statusList().mirrorTo(lines_, this);
}

void SetupTool::start(const SetupToolRequest& request, int comPort)
{
    request_ = request;
    monitor_.begin();
    // Opened here, not by the link: a port that cannot be had is an answer, not a question.
    SerialPort& port = monitor_.port();
    if (!port.open(SerialPortConfig{.portNumber = comPort})) {
        err_ << "kvo7730-setup: cannot open COM" << comPort << ": " << port.openFailure()
             << ". If kvo7730d or the windowed program kvo7730 uses the port, stop it first." << std::endl;
        finish(setup_exit::PortUnavailable);
        return;
    }
    watchForRealTime(0);
}

void SetupTool::watchForRealTime(int watchedMs)
{
    if (monitor_.state().RealTimeOn) {
        runAfterNextPacket();
        return;
    }
    if (watchedMs >= kRealTimeWatchMs) {
        runAction();
        return;
    }
    events_.callAfter(kWatchSliceMs, [this, watchedMs] { watchForRealTime(watchedMs + kWatchSliceMs); });
}

void SetupTool::runAfterNextPacket()
{
    // From the loop, not from inside the packet receiver that announced the packet.
    nextPacket_ = connect(&monitor_, &Monitor::readingsDecoded, this,
                          [this] { events_.callAfter(0, [this] { runActionOnce(); }); });
    noPacket_ = events_.callAfter(kNextPacketWaitMs, [this] { runActionOnce(); });
}

void SetupTool::runActionOnce()
{
    if (!nextPacket_)
        return;
    disconnect(nextPacket_);
    events_.cancel(noPacket_);
    runAction();
}

void SetupTool::runAction()
{
    const auto succeeded = [](bool success) { return success ? setup_exit::Success : setup_exit::MonitorFailed; };
    switch (request_.action) {
    case SetupToolRequest::Action::Read:
        setup_.readSettings(this, [this](const std::optional<MonitorSettings>& settings) {
            if (settings)
                out_ << settingsListing(*settings) << std::flush;
            finish(settings ? setup_exit::Success : setup_exit::MonitorFailed);
        });
        break;
    case SetupToolRequest::Action::Write: write(); break;
    case SetupToolRequest::Action::Ack:
        setup_.sendAcknowledge(this, [this, succeeded](AcknowledgeResponse response) {
            out_ << responseBoxText(response).value_or("No response") << std::endl;
            finish(succeeded(response == AcknowledgeResponse::Acknowledged));
        });
        break;
    case SetupToolRequest::Action::Reset:
        setup_.resetMonitor(this, [this, succeeded](ResetOutcome outcome) {
            finish(succeeded(outcome == ResetOutcome::Reset));
        });
        break;
    case SetupToolRequest::Action::Polarity:
        setup_.togglePolarity(request_.channel, this, [this, succeeded](PolarityOutcome outcome) {
            finish(succeeded(outcome == PolarityOutcome::Toggled));
        });
        break;
    }
}

void SetupTool::write()
{
    const SettingChanges& changes = request_.changes;
    // The writes and the read back wait their turns on the monitor, in this order.
    const auto written = [this](WriteOutcome outcome) {
        if (outcome != WriteOutcome::Acknowledged)
            everyWriteAcknowledged_ = false;
    };
    if (changes.ct1)
        setup_.writeCurrentTransformer(1, changes.ct1->first, changes.ct1->second, this, written);
    if (changes.ct2)
        setup_.writeCurrentTransformer(2, changes.ct2->first, changes.ct2->second, this, written);
    if (changes.pt)
        setup_.writePotentialTransformer(changes.pt->first, changes.pt->second, this, written);
    if (changes.interval)
        setup_.writeStorageInterval(static_cast<std::uint8_t>(*changes.interval), this, written);
    if (changes.deviceId)
        setup_.writeDeviceId(*changes.deviceId, this, written);
    setup_.readSettings(this, [this](const std::optional<MonitorSettings>& settings) { finish(readBack(settings)); });
}

int SetupTool::readBack(const std::optional<MonitorSettings>& settings)
{
    if (!settings) {
        err_ << "kvo7730-setup: the settings could not be read back." << std::endl;
        return setup_exit::MonitorFailed;
    }
    out_ << settingsListing(*settings) << std::flush;
    if (withChanges(*settings, request_.changes) != *settings) {
        err_ << "kvo7730-setup: the monitor does not hold the values written." << std::endl;
        return setup_exit::MonitorFailed;
    }
    return everyWriteAcknowledged_ ? setup_exit::Success : setup_exit::MonitorFailed;
}

void SetupTool::finish(int status)
{
    // From the loop, not from inside the monitor's job that reported.
    events_.callAfter(0, [this, status] {
        monitor_.end();
        emit finished(status);
    });
}
