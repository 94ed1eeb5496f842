// Creating the web-posting window on first use and reaching it afterwards.
#include "web/web_window_owner.h"

WebWindowOwner::WebWindowOwner(WebPostingController& posting, const PersistedSettings& settings, Dialogs& dialogs)
    : posting_(posting), settings_(settings), dialogs_(dialogs)
{
}

WebWindowOwner::~WebWindowOwner() = default;

WebFrm& WebWindowOwner::load()
{
    if (!window_)
        window_ = std::make_unique<WebFrm>(posting_, settings_, dialogs_);
    return *window_;
}

void WebWindowOwner::RefreshTextBoxes()
{
    load().RefreshTextBoxes();
}

void WebWindowOwner::MnuWritetoWeb_Click()
{
    WebFrm& window = load();
    window.show();
    window.raise();
    window.activateWindow();
}

void WebWindowOwner::closeUnlessMaximized()
{
    WebFrm& window = load();
    if (!window.isMaximized())
        window.close();
}
