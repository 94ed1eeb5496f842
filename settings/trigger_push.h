// The option that pushes the ALL line to the TCP client when a trigger event occurs.
#pragma once

class PersistedSettings;
struct ProgramState;

// Sets AutoWriteLocal to 1 or 0 and saves "AutoWriteLocal", but only when the value
// changes, the way the option's check box reacts to a change only.
void setTriggerPush(ProgramState& state, PersistedSettings& settings, bool on);
