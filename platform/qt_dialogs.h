// Message boxes and the busy pointer on Qt Widgets.
#pragma once

#include "platform/dialogs.h"

#include <QPointer>
#include <QWidget>

class QtDialogs : public Dialogs {
public:
    // Message boxes are centred on the given window while it exists.
    explicit QtDialogs(QWidget* parent);

    void message(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    bool askYesNoTitled(const std::string& title, const std::string& text) override;
    void setBusyPointer(bool busy) override;

private:
    QPointer<QWidget> parent_;
    bool busy_ = false;
};
