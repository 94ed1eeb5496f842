// Held status boxes and lists that announce their changes.
#include "platform/observable_status.h"

void ObservableStatusBox::setText(const std::string& text)
{
    text_ = text;
    emit textChanged(text_);
}

void ObservableStatusBox::setLook(StatusLook look)
{
    look_ = look;
    emit lookChanged(look_);
}

void ObservableStatusBox::mirrorTo(StatusBox& display, const QObject* context) const
{
    display.show(text_, look_);
    connect(this, &ObservableStatusBox::textChanged, context, [&display](const std::string& text) {
        display.setText(text);
    });
    connect(this, &ObservableStatusBox::lookChanged, context, [&display](StatusLook look) { display.setLook(look); });
}

void ObservableStatusList::mirrorTo(StatusList& display, const QObject* context) const
{
    connect(this, &ObservableStatusList::lineAdded, context, [&display](const std::string& line) {
        display.addLine(line);
    });
    connect(this, &ObservableStatusList::cleared, context, [&display] { display.clear(); });
}
