// The monitor's own configuration, for as long as the monitor lives: reading and writing
// its settings, the acknowledge check, the reset, the polarity toggles and the clearing
// of the pre-reset values. Every action that talks to the monitor is a job on its
// exchange queue; a result reaches its caller only while the caller's observer lives.
// The monitor's end() must come before this object goes (it ends the jobs).
#pragma once

#include "monitor_setup/monitor_reset.h"
#include "monitor_setup/settings_reader.h"
#include "monitor_setup/settings_writer.h"
#include "monitor_setup/setup_exchange.h"
#include "monitor_setup/setup_values.h"
#include "platform/observable_status.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

class Monitor;

inline const std::string kPolarityQuestion =
    "Are you sure you want to change the polarity? If you are NET metering, this will affect your data.";
inline const std::string kPreResetQuestion =
    "Are you sure you want to delete these values? Deleting these will cause your web server data to corrupt. "
    "This should only be used initialy before starting a new web server account.";

enum class PolarityOutcome {
    Toggled,
    Declined,
    Failed, // a message box said why
};

class MonitorSetup : public QObject {
    Q_OBJECT

public:
    // Called with an action's result, unless the observer given with it is gone.
    template <typename Result>
    using Reply = std::function<void(const Result&)>;

    explicit MonitorSetup(Monitor& monitor, QObject* parent = nullptr);

    // The setup window's status list (List1): the window mirrors it while it lives.
    ObservableStatusList& statusList() { return statusList_; }

    // A job of the monitor runs, this object's or another's: a new action waits its turn.
    bool busy() const;

    // "Read KVO-7730 Settings": the settings, or nothing when the read failed.
    void readSettings(QObject* observer = nullptr, Reply<std::optional<MonitorSettings>> read = {});
    // "Send Acknowledge".
    void sendAcknowledge(QObject* observer = nullptr, Reply<AcknowledgeResponse> answered = {});

    // The accept buttons. Ranges 1-10, the interval 1-255 minutes, the ID 0-127: the
    // caller checks them first (currentTransformerBoxes() and the like).
    void writeCurrentTransformer(int channel, std::uint8_t type, std::uint8_t range, QObject* observer = nullptr,
                                 Reply<WriteOutcome> written = {});
    void writePotentialTransformer(std::uint8_t type, std::uint8_t range, QObject* observer = nullptr,
                                   Reply<WriteOutcome> written = {});
    void writeStorageInterval(std::uint8_t minutes, QObject* observer = nullptr, Reply<WriteOutcome> written = {});
    void writeDeviceId(std::uint8_t id, QObject* observer = nullptr, Reply<WriteOutcome> written = {});

    // "Reset KVO-7730": the "Caution" question is asked when the job's turn comes.
    void resetMonitor(QObject* observer = nullptr, Reply<ResetOutcome> done = {});
    // "Toggle CH1 Polarity" / "Toggle CH2 Polarity": the question, then the monitor's toggle.
    void togglePolarity(int channel, QObject* observer = nullptr, Reply<PolarityOutcome> done = {});
    // "Reset Static Pre-Reset Values": on Yes the monitor's pre-reset values become 0.
    // Nothing is sent to the monitor, so nothing waits for its queue.
    void clearPreResetValues();

    // A box that was refused: the status list cleared, the refusal's lines, its message box.
    void refuse(const Refusal& refusal);

signals:
    void busyChanged(bool busy);

private:
    Task<PolarityOutcome> polarityJob(int channel);

    Monitor& monitor_;
    ObservableStatusList statusList_;
    SetupExchange exchange_;
    SettingsReader reader_;
    SettingsWriter writer_;
    MonitorReset reset_;
};
