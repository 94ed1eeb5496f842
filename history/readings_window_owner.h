// The live readings window as the program reaches it: made on first show, fed from
// the monitor's signals while it is visible, its chart filled from the history.
#pragma once

#include "history/readings_window.h"
#include "link/live_readings.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class Clock;
class HistoryStore;
class Monitor;
struct MinuteRow;
struct SettingsValues;

struct ReadingsWindowContext {
    Monitor& monitor;
    const HistoryStore& history;
    const SettingsValues& settings;
    const Clock& clock;
};

class ReadingsWindowOwner : public QObject {
    Q_OBJECT

public:
    explicit ReadingsWindowOwner(const ReadingsWindowContext& context, QObject* parent = nullptr);
    ~ReadingsWindowOwner() override;

    // The menu "View" > "Live Readings": shown without blocking.
    void show();
    // The main window goes to the notification area.
    void closeUnlessMaximized();

    // nullptr before the first show.
    ReadingsWindow* window() const { return window_.get(); }

private:
    void takeReadings(const LiveReadings& readings);
    void takeMinute(const MinuteRow& row);
    void refreshFeed();
    void showRange(ChartRange range);
    bool visible() const { return window_ && window_->isVisible(); }

    ReadingsWindowContext context_;
    std::unique_ptr<ReadingsWindow> window_;
    std::optional<LiveReadings> last_;
    EpochSeconds lastTime_ = 0;
    std::string lastTimeText_;
    // The start of the newest bucket of a long range, so that a new one reloads the range.
    EpochSeconds rangeEnd_ = 0;
    // Counts the seconds without a packet while the window shows.
    QTimer feedTimer_;
};
