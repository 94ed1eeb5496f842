// The service's reports: what the windowed program shows in a message box, a status
// list or a status box goes to standard error as one line with a time stamp, where
// systemd's journal keeps it.
#pragma once

#include "platform/dialogs.h"
#include "platform/status_box.h"
#include "platform/status_list.h"

#include <ostream>
#include <string>

class Clock;

class ConsoleLog {
public:
    ConsoleLog(const Clock& clock, std::ostream& out);

    // "yyyy-mm-dd hh:nn:ss text", flushed at once.
    void line(const std::string& text);

private:
    const Clock& clock_;
    std::ostream& out_;
};

// Message boxes nobody can see: a message is logged; a Yes/No question is logged
// and answered No, the answer that changes nothing.
class ConsoleDialogs : public Dialogs {
public:
    explicit ConsoleDialogs(ConsoleLog& log) : log_(log) {}

    void message(const std::string& text) override;
    void ask(const Question& question, std::function<void(bool yes)> answered) override;
    void setBusyPointer(bool) override {}

private:
    ConsoleLog& log_;
};

class ConsoleStatusList : public StatusList {
public:
    explicit ConsoleStatusList(ConsoleLog& log) : log_(log) {}

    void addLine(const std::string& line) override { log_.line(line); }
    // A log is not taken back.
    void clear() override {}

private:
    ConsoleLog& log_;
};

// A status box as log lines: a text is logged once, when it differs from the last
// (the TCP server's box is refreshed every 800 ms).
class ConsoleStatusBox : public StatusBox {
public:
    explicit ConsoleStatusBox(ConsoleLog& log) : log_(log) {}

    void setText(const std::string& text) override;
    void setLook(StatusLook) override {}

private:
    ConsoleLog& log_;
    std::string shown_;
};
