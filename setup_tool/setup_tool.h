// kvo7730-setup: the monitor setup utility's actions from the command line, for users
// without a desktop. It borrows the port exactly as the setup window does.
#pragma once

#include "monitor_setup/monitor_setup.h"
#include "monitor_setup/setting_assignments.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/status_list.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <iosfwd>
#include <optional>
#include <string>

class Monitor;

struct SetupToolRequest {
    enum class Action { Read, Write, Ack, Reset, Polarity };
    Action action = Action::Read;
    SettingChanges changes; // for Write, each within the monitor's limits
    int channel = 1;        // for Polarity
    std::optional<int> comPort;
    bool assumeYes = false;
    // Whose settings and COM port links; empty for the default instance.
    std::string instance;
};

struct SetupToolCommandLine {
    std::optional<SetupToolRequest> request;
    // --help or --version: the message is their answer, for standard output.
    bool helpRequested = false;
    // The answer to --help or --version, or what is wrong with the arguments.
    QString message;
};

// Reads the arguments (the program name first).
SetupToolCommandLine parseSetupToolCommandLine(const QStringList& arguments);

// Message boxes on a terminal: a message is a line on the error stream; a question
// is asked there and answered from the input at once (only "y" or "yes" is Yes), or
// Yes with --yes.
class TerminalDialogs : public Dialogs {
public:
    TerminalDialogs(std::istream& in, std::ostream& err, bool assumeYes) : in_(in), err_(err), assumeYes_(assumeYes) {}

    void message(const std::string& text) override;
    void ask(const Question& question, std::function<void(bool yes)> answered) override;
    void setBusyPointer(bool) override {}

private:
    std::istream& in_;
    std::ostream& err_;
    bool assumeYes_;
};

// Status lines as lines on a stream; a clear leaves the lines already written.
class StreamStatusList : public StatusList {
public:
    explicit StreamStatusList(std::ostream& out) : out_(out) {}
    void addLine(const std::string& line) override;
    void clear() override {}

private:
    std::ostream& out_;
};

// Exit statuses.
namespace setup_exit {
constexpr int Success = 0;
constexpr int MonitorFailed = 1; // something was not acknowledged, or read back different
constexpr int Usage = 2;
constexpr int PortUnavailable = 3;
} // namespace setup_exit

class SetupTool : public QObject {
    Q_OBJECT

public:
    // The monitor's and the setup's status lines go to err; results go to out.
    SetupTool(Monitor& monitor, EventLoop& events, std::ostream& out, std::ostream& err);

    // Opens the port, watches briefly for real time, then runs the action; finished
    // comes once, from the event loop, with the exit status.
    void start(const SetupToolRequest& request, int comPort);

signals:
    void finished(int status);

private:
    // A monitor still streaming is seen by the watchdog within this watch, so that the
    // action stops it (and starts it again afterwards), as the window does.
    void watchForRealTime(int watchedMs);
    // A stop sent right after a packet has the second until the next one to itself, so no
    // packet byte is taken for one of its acknowledgements.
    void runAfterNextPacket();
    void runActionOnce();
    void runAction();
    void write();
    // The settings after a write: what the monitor holds, and the status.
    int readBack(const std::optional<MonitorSettings>& settings);
    // The monitor ends (its port closes), then the status goes out.
    void finish(int status);

    Monitor& monitor_;
    EventLoop& events_;
    MonitorSetup setup_;
    std::ostream& out_;
    std::ostream& err_;
    StreamStatusList lines_;
    SetupToolRequest request_;
    QMetaObject::Connection nextPacket_;
    EventLoop::TimerId noPacket_ = 0;
    bool everyWriteAcknowledged_ = true;
};
