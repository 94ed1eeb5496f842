// A status box that keeps its current state and how often it was shown.
#pragma once

#include "platform/status_box.h"

#include <string>

class RecordingStatusBox : public StatusBox {
public:
    void setText(const std::string& newText) override
    {
        text = newText;
        ++textChanges;
    }
    void setLook(StatusLook newLook) override
    {
        look = newLook;
        ++lookChanges;
    }

    // Empty and without a look until first shown, so tests can tell "never touched".
    std::string text;
    StatusLook look{0xFFFFFFFFu, 0xFFFFFFFFu};
    int textChanges = 0;
    int lookChanges = 0;
};
