// The setup window's utility commands: the monitor reset, the confirmation of the
// pre-reset values' clearing, and the polarity toggles.
#pragma once

#include "monitor_setup/setup_link.h"

#include <string>

inline const std::string kResetQuestion = "Are you sure you want to reset the KVO-7730 accumulated data?";

class UtilityCommands {
public:
    explicit UtilityCommands(const SetupLink& link) : link_(link) {}

    // "Reset KVO-7730": after Yes, 252, "RQS" and "RST", each acknowledged; true when
    // the monitor acknowledged all three.
    bool Command10_Click();

    // "Reset Static Pre-Reset Values": true when the user confirmed; the caller then
    // clears the values (nothing goes to the monitor).
    bool Command11_Click();

    // "Toggle CH1 Polarity" / "Toggle CH2 Polarity": after Yes, the link's toggle (which
    // shows its own failures); true when the user said Yes.
    bool Command15_Click() { return togglePolarity(1); }
    bool Command16_Click() { return togglePolarity(2); }

private:
    bool togglePolarity(int channel);
    // Writes the word in one write and waits for its acknowledgement.
    bool acknowledged(std::string_view word);

    SetupLink link_;
};
