// Creating the web-posting window on first use and reaching it afterwards.
#include "web/web_posting.h"

WebPosting::WebPosting(const WebFrmParts& parts)
    : parts_(parts)
{
}

WebPosting::~WebPosting() = default;

WebFrm& WebPosting::load()
{
    if (!window_)
        window_ = std::make_unique<WebFrm>(parts_);
    return *window_;
}

void WebPosting::PostReadings()
{
    load().Vex();
}

void WebPosting::RefreshTextBoxes()
{
    load().RefreshTextBoxes();
}

void WebPosting::MnuWritetoWeb_Click()
{
    WebFrm& window = load();
    window.show();
    window.raise();
    window.activateWindow();
}

void WebPosting::closeUnlessMaximized()
{
    WebFrm& window = load();
    if (!window.isMaximized())
        window.close();
}
