// Message boxes and the mouse pointer, behind an interface so tests answer by script.
// No box holds up its caller: a message is shown and the caller goes on; a question's
// answer comes back later (or at once, where nobody is asked).
#pragma once

#include <functional>
#include <string>

struct Question {
    std::string text;
    // A title of its own ("Caution"); empty for the program's usual one.
    std::string title = {};
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with one OK button.
    virtual void message(const std::string& text) = 0;

    // A message box with Yes and No buttons; answered is called exactly once, with true
    // for Yes. A box that goes away without an answer counts as No.
    virtual void ask(const Question& question, std::function<void(bool yes)> answered) = 0;

    // The hourglass (true) or the default pointer (false).
    virtual void setBusyPointer(bool busy) = 0;
};
