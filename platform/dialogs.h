// Message boxes and the mouse pointer, behind an interface so tests answer by script.
#pragma once

#include <string>

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with one OK button; returns when it is dismissed.
    virtual void message(const std::string& text) = 0;

    // A message box with Yes and No buttons; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;

    // The same under a title of its own ("Caution"); where no title shows, the plain question.
    virtual bool askYesNoTitled(const std::string& title, const std::string& text)
    {
        static_cast<void>(title);
        return askYesNo(text);
    }

    // The hourglass (true) or the default pointer (false).
    virtual void setBusyPointer(bool busy) = 0;
};
