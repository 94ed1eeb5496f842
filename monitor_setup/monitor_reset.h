// "Reset KVO-7730": after the user's Yes, 252, "RQS" and "RST", each acknowledged, with
// real time borrowed around them; one exchange job.
#pragma once

#include "common/task.h"

#include <string>

class Monitor;
class SetupExchange;
class StatusList;

inline const std::string kResetQuestion = "Are you sure you want to reset the KVO-7730 accumulated data?";

enum class ResetOutcome {
    Reset,
    Declined,
    NotReset, // a step went unanswered; the status list says which
    PortUnavailable,
};

class MonitorReset {
public:
    MonitorReset(Monitor& monitor, SetupExchange& exchange, StatusList& List1)
        : monitor_(monitor), exchange_(exchange), list_(List1)
    {
    }

    Task<ResetOutcome> run();

private:
    // 252, "RQS" and "RST" after the port is borrowed.
    Task<ResetOutcome> resetSequence();

    Monitor& monitor_;
    SetupExchange& exchange_;
    StatusList& list_;
};
