// Time-stamped report lines on a stream.
#include "service/console_log.h"

#include "platform/clock.h"

ConsoleLog::ConsoleLog(const Clock& clock, std::ostream& out)
    : clock_(clock), out_(out)
{
}

void ConsoleLog::line(const std::string& text)
{
    out_ << formatDateTime(clock_.now(), "yyyy-mm-dd hh:nn:ss ") << text << std::endl;
}

void ConsoleDialogs::message(const std::string& text)
{
    log_.line(text);
}

void ConsoleDialogs::ask(const Question& question, std::function<void(bool yes)> answered)
{
    log_.line(question.text + " [No: there is nobody to ask]");
    answered(false);
}

void ConsoleStatusBox::setText(const std::string& text)
{
    if (text.empty() || text == shown_)
        return;
    shown_ = text;
    log_.line(text);
}
