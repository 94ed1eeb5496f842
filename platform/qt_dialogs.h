// Message boxes and the busy pointer on Qt Widgets, shown without a nested event loop.
#pragma once

#include "platform/dialogs.h"

#include <QPointer>
#include <QWidget>

class QtDialogs : public Dialogs {
public:
    // Message boxes are window-modal on the given window while it exists.
    explicit QtDialogs(QWidget* parent);

    void message(const std::string& text) override;
    void ask(const Question& question, std::function<void(bool yes)> answered) override;
    void setBusyPointer(bool busy) override;

private:
    QPointer<QWidget> parent_;
    bool busy_ = false;
};
