// Message boxes answered by script: records what was shown, answers Yes/No from a queue,
// at once or, with holdAnswers, when the test says.
#pragma once

#include "platform/dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class ScriptedDialogs : public Dialogs {
public:
    void message(const std::string& text) override { messages.push_back(text); }

    // Takes the next scripted answer; with none left the answer is No.
    void ask(const Question& question, std::function<void(bool yes)> answered) override
    {
        questions.push_back(question.text);
        titles.push_back(question.title);
        if (holdAnswers) {
            open.push_back(std::move(answered));
            return;
        }
        answered(nextAnswer());
    }

    void setBusyPointer(bool busy) override { pointerChanges.push_back(busy); }

    // Answers the oldest open question from the script.
    void answerOldest()
    {
        auto answered = std::move(open.front());
        open.pop_front();
        answered(nextAnswer());
    }

    std::deque<bool> answers;
    // Questions stay open until answerOldest (a user who takes time to answer).
    bool holdAnswers = false;
    std::deque<std::function<void(bool)>> open;

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> titles;
    std::vector<bool> pointerChanges;

private:
    bool nextAnswer()
    {
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
};
