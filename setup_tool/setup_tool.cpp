// The command line of kvo7730-setup and its actions over the setup utility's logic.
#include "setup_tool/setup_tool.h"

#include "monitor/monitor.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/program_identity.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"
#include "monitor_setup/settings_reader.h"
#include "monitor_setup/settings_writer.h"
#include "monitor_setup/utility_commands.h"

#include <QCommandLineParser>
#include <istream>
#include <ostream>

namespace {

// Long enough for the watchdog to see one second's packet.
constexpr int kRealTimeWatchMs = 2500;
constexpr int kWatchSliceMs = 100;

const char* const kHelp =
    "Reads and changes the set-up of a KVO-7730 energy monitor: CT and PT type and range, data logger\n"
    "storage interval and device ID; resets its accumulated data; toggles a channel's polarity.\n"
    "\n"
    "Actions:\n"
    "  read                 prints the settings as name=value lines: ct1_type, ct1_range, ct2_type,\n"
    "                       ct2_range, pt_type, pt_range, interval, firmware, device_id\n"
    "  write SETTING...     writes ct1=TYPE,RANGE ct2=TYPE,RANGE pt=TYPE,RANGE interval=MINUTES id=ID\n"
    "                       (any of them), then reads the settings back to confirm them\n"
    "  ack                  checks that the monitor answers\n"
    "  reset                resets the monitor's accumulated data (asks first unless --yes)\n"
    "  polarity 1|2         toggles the polarity of channel 1 or 2 (asks first unless --yes)\n"
    "\n"
    "The port is the windowed program's COM port setting unless --com is given. The port must be\n"
    "free: stop kvo7730d or the windowed program kvo7730 first. A monitor streaming real-time data\n"
    "is stopped for the action and started again afterwards. Exit status: 0 when the monitor\n"
    "acknowledged everything, 1 when it did not, 2 for wrong arguments, 3 when the port cannot be opened.";

// The setup window's status list, as lines on the error stream.
class StreamStatusList : public StatusList {
public:
    explicit StreamStatusList(std::ostream& out) : out_(out) {}
    void addLine(const std::string& line) override { out_ << line << std::endl; }
    void clear() override {}

private:
    std::ostream& out_;
};

std::string byteText(std::uint8_t value)
{
    return std::to_string(value);
}

} // namespace

SetupToolCommandLine parseSetupToolCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kHelp);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption com("com", "Use COM port N (1-64) instead of the stored setting.", "N");
    const QCommandLineOption yes("yes", "Answer Yes to the questions of reset and polarity.");
    parser.addOptions({com, yes});
    parser.addPositionalArgument("action", "read, write, ack, reset or polarity", "ACTION [ARGUMENTS]");

    SetupToolCommandLine result;
    if (!parser.parse(arguments)) {
        result.message = parser.errorText();
        return result;
    }
    if (const std::optional<QString> text = helpOrVersionText(parser)) {
        result.helpRequested = true;
        result.message = *text;
        return result;
    }
    SetupToolRequest request;
    request.assumeYes = parser.isSet(yes);
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
    ++messages_;
    err_ << text << std::endl;
}

bool TerminalDialogs::askYesNo(const std::string& text)
{
    err_ << text << " [y/N] " << std::flush;
    if (assumeYes_) {
        err_ << "y" << std::endl;
        return true;
    }
    std::string answer;
    std::getline(in_, answer);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

SetupTool::SetupTool(Monitor& monitor, SerialPort& port, const Clock& clock, EventLoop& events,
                     TerminalDialogs& dialogs, std::ostream& out, std::ostream& err)
    : monitor_(monitor), port_(port), clock_(clock), events_(events), dialogs_(dialogs), out_(out), err_(err)
{
}

int SetupTool::run(const SetupToolRequest& request, int comPort)
{
    monitor_.begin();
    // Opened here, not by the link: a port that cannot be had is an answer, not a question.
    if (!port_.open(SerialPortConfig{.portNumber = comPort})) {
        err_ << "kvo7730-setup: cannot open COM" << comPort << ": " << port_.openFailure()
             << ". If kvo7730d or the windowed program kvo7730 uses the port, stop it first." << std::endl;
        return setup_exit::PortUnavailable;
    }
    watchForRealTime();
    int status = setup_exit::Success;
    switch (request.action) {
    case SetupToolRequest::Action::Read: status = read(); break;
    case SetupToolRequest::Action::Write: status = write(request.changes); break;
    case SetupToolRequest::Action::Ack: status = acknowledge(); break;
    case SetupToolRequest::Action::Reset: status = reset(); break;
    case SetupToolRequest::Action::Polarity: status = polarity(request.channel); break;
    }
    monitor_.end();
    return status;
}

void SetupTool::watchForRealTime()
{
    for (int waited = 0; waited < kRealTimeWatchMs && !monitor_.state().RealTimeOn; waited += kWatchSliceMs)
        events_.Dly(kWatchSliceMs);
}

SetupLink SetupTool::link(StatusList& list)
{
    return {.port = port_, .clock = clock_, .events = events_, .dialogs = dialogs_, .state = monitor_.state(),
            .ports = monitor_.ports(), .commands = monitor_.commands(), .realTime = monitor_.realTime(),
            .List1 = list};
}

int SetupTool::read()
{
    StreamStatusList list(err_);
    const SetupLink setup = link(list);
    SetupExchange exchange(setup);
    const auto settings = SettingsReader(setup, exchange).Command6_Click();
    if (!settings)
        return setup_exit::MonitorFailed;
    out_ << settingsListing(*settings) << std::flush;
    return setup_exit::Success;
}

int SetupTool::write(const SettingChanges& changes)
{
    StreamStatusList list(err_);
    const SetupLink setup = link(list);
    SetupExchange exchange(setup);
    SettingsWriter writer(setup, exchange);
    bool written = true;
    if (changes.ct1)
        written = writer.Command1_Click(byteText(changes.ct1->first), byteText(changes.ct1->second)) && written;
    if (changes.ct2)
        written = writer.Command2_Click(byteText(changes.ct2->first), byteText(changes.ct2->second)) && written;
    if (changes.pt)
        written = writer.Command4_Click(byteText(changes.pt->first), byteText(changes.pt->second)) && written;
    if (changes.interval)
        written = writer.Command3_Click(std::to_string(*changes.interval)) && written;
    if (changes.deviceId)
        written = writer.Command7_Click(byteText(*changes.deviceId)) && written;

    const auto settings = SettingsReader(setup, exchange).Command6_Click();
    if (!settings) {
        err_ << "kvo7730-setup: the settings could not be read back." << std::endl;
        return setup_exit::MonitorFailed;
    }
    out_ << settingsListing(*settings) << std::flush;
    if (withChanges(*settings, changes) != *settings) {
        err_ << "kvo7730-setup: the monitor does not hold the values written." << std::endl;
        return setup_exit::MonitorFailed;
    }
    return written ? setup_exit::Success : setup_exit::MonitorFailed;
}

int SetupTool::acknowledge()
{
    StreamStatusList list(err_);
    const SetupLink setup = link(list);
    SetupExchange exchange(setup);
    const auto response = SettingsReader(setup, exchange).Command9_Click();
    out_ << response.value_or("No response") << std::endl;
    return response == "Acknowledged" ? setup_exit::Success : setup_exit::MonitorFailed;
}

int SetupTool::reset()
{
    StreamStatusList list(err_);
    return UtilityCommands(link(list)).Command10_Click() ? setup_exit::Success : setup_exit::MonitorFailed;
}

int SetupTool::polarity(int channel)
{
    StreamStatusList list(err_);
    UtilityCommands commands(link(list));
    // The toggle reports only its failures, each in a message.
    const int messagesBefore = dialogs_.messagesShown();
    const bool confirmed = channel == 1 ? commands.Command15_Click() : commands.Command16_Click();
    if (!confirmed)
        return setup_exit::MonitorFailed;
    return dialogs_.messagesShown() == messagesBefore ? setup_exit::Success : setup_exit::MonitorFailed;
}
