// Status displays that keep their state and announce each change, so that windows
// which come and go, or the service's log, can follow them.
#pragma once

#include "platform/status_box.h"
#include "platform/status_list.h"

#include <QObject>
#include <string>

class ObservableStatusBox : public QObject, public StatusBox {
    Q_OBJECT

public:
    void setText(const std::string& text) override;
    void setLook(StatusLook look) override;

    const std::string& text() const { return text_; }
    StatusLook look() const { return look_; }

    // Shows the held state on the display now and after every change, for as long
    // as the context object lives.
    void mirrorTo(StatusBox& display, const QObject* context) const;

signals:
    void textChanged(const std::string& text);
    void lookChanged(StatusLook look);

private:
    std::string text_;
    StatusLook look_ = status_look::Stopped;
};

class ObservableStatusList : public QObject, public StatusList {
    Q_OBJECT

public:
    void addLine(const std::string& line) override { emit lineAdded(line); }
    void clear() override { emit cleared(); }

    // Adds every line and clear to the display for as long as the context object lives.
    void mirrorTo(StatusList& display, const QObject* context) const;

signals:
    void lineAdded(const std::string& line);
    void cleared();
};
