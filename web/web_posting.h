// The web-posting window as the rest of the program reaches it: created hidden by
// its first use and kept for the rest of the run.
#pragma once

#include "web/web_frm.h"

#include <memory>

class WebPosting {
public:
    explicit WebPosting(const WebFrmParts& parts);
    ~WebPosting();
    WebPosting(const WebPosting&) = delete;
    WebPosting& operator=(const WebPosting&) = delete;

    // The window, loaded without being shown when it does not exist yet.
    WebFrm& load();

    // The decoder's last step for every packet.
    void PostReadings();

    void RefreshTextBoxes();

    // The main window's "Write To Web": shown without blocking.
    void MnuWritetoWeb_Click();

    // The main window goes to the notification area. Closing only hides this window;
    // it is loaded first when it does not exist, so that its state can be read.
    void closeUnlessMaximized();

private:
    WebFrmParts parts_;
    std::unique_ptr<WebFrm> window_;
};
