// The hourglass for the length of a setup action: back to normal when the action says
// so, or at the latest when its job ends, cancelled or not.
#pragma once

#include "platform/dialogs.h"

class BusyPointer {
public:
    explicit BusyPointer(Dialogs& dialogs) : dialogs_(dialogs) { dialogs_.setBusyPointer(true); }
    ~BusyPointer() { release(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

    void release()
    {
        if (!busy_)
            return;
        busy_ = false;
        dialogs_.setBusyPointer(false);
    }

private:
    Dialogs& dialogs_;
    bool busy_ = true;
};
