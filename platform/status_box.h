// A status box: a short state text shown centred on a coloured background.
#pragma once

#include <string>

// Colours as 0x00BBGGRR values, the way the status boxes are specified.
namespace status_colour {
constexpr unsigned Green = 65280;
constexpr unsigned Red = 255;
constexpr unsigned Yellow = 65535;
constexpr unsigned Black = 0;
constexpr unsigned White = 16777215;
} // namespace status_colour

struct StatusLook {
    unsigned background;
    unsigned foreground;

    bool operator==(const StatusLook&) const = default;
};

// The four looks in use: open/active/connected, closed/stopped, listening, error.
namespace status_look {
constexpr StatusLook Good{status_colour::Green, status_colour::Black};
constexpr StatusLook Stopped{status_colour::Red, status_colour::White};
constexpr StatusLook Listening{status_colour::Yellow, status_colour::Black};
constexpr StatusLook Error{status_colour::Black, status_colour::White};
} // namespace status_look

class StatusBox {
public:
    virtual ~StatusBox() = default;

    virtual void setText(const std::string& text) = 0;
    virtual void setLook(StatusLook look) = 0;

    void show(const std::string& text, StatusLook look)
    {
        setLook(look);
        setText(text);
    }
};
