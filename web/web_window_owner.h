// The web-posting window as the rest of the program reaches it: created hidden by
// its first use and kept for the rest of the run.
#pragma once

#include "web/web_frm.h"

#include <memory>

class WebWindowOwner {
public:
    WebWindowOwner(WebPostingController& posting, const PersistedSettings& settings, Dialogs& dialogs);
    ~WebWindowOwner();
    WebWindowOwner(const WebWindowOwner&) = delete;
    WebWindowOwner& operator=(const WebWindowOwner&) = delete;

    // The window, loaded without being shown when it does not exist yet.
    WebFrm& load();

    void RefreshTextBoxes();

    // The main window's "Write To Web": shown without blocking.
    void MnuWritetoWeb_Click();

    // The main window goes to the notification area. Closing only hides this window;
    // it is loaded first when it does not exist, so that its state can be read.
    void closeUnlessMaximized();

private:
    WebPostingController& posting_;
    const PersistedSettings& settings_;
    Dialogs& dialogs_;
    std::unique_ptr<WebFrm> window_;
};
