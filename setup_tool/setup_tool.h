// kvo7730-setup: the monitor setup utility's actions from the command line, for users
// without a desktop. It borrows the port exactly as the setup window does.
#pragma once

#include "platform/dialogs.h"
#include "monitor_setup/setting_assignments.h"
#include "monitor_setup/setup_link.h"

#include <QString>
#include <QStringList>
#include <iosfwd>
#include <optional>

class Clock;
class EventLoop;
class Monitor;
class SerialPort;

struct SetupToolRequest {
    enum class Action { Read, Write, Ack, Reset, Polarity };
    Action action = Action::Read;
    SettingChanges changes; // for Write
    int channel = 1;        // for Polarity
    std::optional<int> comPort;
    bool assumeYes = false;
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
// is asked there and answered from the input (only "y" or "yes" is Yes), or Yes at
// once with --yes.
class TerminalDialogs : public Dialogs {
public:
    TerminalDialogs(std::istream& in, std::ostream& err, bool assumeYes) : in_(in), err_(err), assumeYes_(assumeYes) {}

    void message(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void setBusyPointer(bool) override {}

    int messagesShown() const { return messages_; }

private:
    std::istream& in_;
    std::ostream& err_;
    bool assumeYes_;
    int messages_ = 0;
};

// Exit statuses.
namespace setup_exit {
constexpr int Success = 0;
constexpr int MonitorFailed = 1; // something was not acknowledged, or read back different
constexpr int Usage = 2;
constexpr int PortUnavailable = 3;
} // namespace setup_exit

class SetupTool {
public:
    // The monitor's link reports to err; results go to out.
    SetupTool(Monitor& monitor, SerialPort& port, const Clock& clock, EventLoop& events, TerminalDialogs& dialogs,
              std::ostream& out, std::ostream& err);

    int run(const SetupToolRequest& request, int comPort);

private:
    int read();
    int write(const SettingChanges& changes);
    int acknowledge();
    int reset();
    int polarity(int channel);
    SetupLink link(StatusList& list);
    // Watches the line briefly, so that a monitor still streaming is stopped (and
    // restarted afterwards) around the action, as the window does.
    void watchForRealTime();

    Monitor& monitor_;
    SerialPort& port_;
    const Clock& clock_;
    EventLoop& events_;
    TerminalDialogs& dialogs_;
    std::ostream& out_;
    std::ostream& err_;
};
