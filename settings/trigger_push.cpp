// Switching the trigger push and saving it on change.
#include "settings/trigger_push.h"

#include "link/program_state.h"
#include "settings/persisted_settings.h"

void setTriggerPush(ProgramState& state, PersistedSettings& settings, bool on)
{
    const std::uint8_t value = on ? 1 : 0;
    if (state.AutoWriteLocal == value)
        return;
    state.AutoWriteLocal = value;
    settings.save("AutoWriteLocal");
}
