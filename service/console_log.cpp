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

bool ConsoleDialogs::askYesNo(const std::string& text)
{
    log_.line(text + " [No: there is nobody to ask]");
    return false;
}

void ConsoleStatusBox::setText(const std::string& text)
{
    if (text.empty() || text == shown_)
        return;
    shown_ = text;
    log_.line(text);
}
