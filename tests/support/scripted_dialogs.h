// Message boxes answered by script: records what was shown, answers Yes/No from a queue.
#pragma once

#include "platform/dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class ScriptedDialogs : public Dialogs {
public:
    void message(const std::string& text) override
    {
        messages.push_back(text);
        if (onShow)
            onShow();
    }

    // Takes the next scripted answer; with none left the answer is No.
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        if (onShow)
            onShow();
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }

    void setBusyPointer(bool busy) override { pointerChanges.push_back(busy); }

    std::deque<bool> answers;
    // Runs while a box is open, as the events a modal box lets through would.
    std::function<void()> onShow;

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<bool> pointerChanges;
};
