// Nothing is drawn for a hidden window: the last readings are kept, and shown on the next show.
#include "history/readings_window_owner.h"

#include "history/history_store.h"
#include "history/history_time.h"
#include "history/power_chart.h"
#include "monitor/monitor.h"
#include "platform/clock.h"
#include "platform/system_locale.h"
#include "settings/settings_values.h"

namespace {

constexpr int kFeedCheckMs = 1000;
// A long range is drawn with about this many points, whatever its length.
constexpr EpochSeconds kRangePoints = 1440;

std::vector<PowerPoint> powerOf(const std::vector<PacketRow>& packets)
{
    std::vector<PowerPoint> points;
    points.reserve(packets.size());
    for (const PacketRow& packet : packets)
        points.push_back({.time = packet.time, .watts1 = packet.watts1, .watts2 = packet.watts2});
    return points;
}

} // namespace

ReadingsWindowOwner::ReadingsWindowOwner(const ReadingsWindowContext& context, QObject* parent)
    : QObject(parent), context_(context)
{
    feedTimer_.setObjectName(QStringLiteral("ReadingsFeedCheck"));
    feedTimer_.setInterval(kFeedCheckMs);
    feedTimer_.setParent(this);
    connect(&feedTimer_, &QTimer::timeout, this, &ReadingsWindowOwner::refreshFeed);
    Monitor& monitor = context_.monitor;
    connect(&monitor, &Monitor::readingsDecoded, this, &ReadingsWindowOwner::takeReadings);
    for (auto signal : {&Monitor::portOpened, &Monitor::portClosed, &Monitor::portLost})
        connect(&monitor, signal, this, &ReadingsWindowOwner::refreshFeed);
    connect(&monitor, &Monitor::realTimeChanged, this, &ReadingsWindowOwner::refreshFeed);
    connect(&context_.history, &HistoryStore::minuteWritten, this, &ReadingsWindowOwner::takeMinute);
}

ReadingsWindowOwner::~ReadingsWindowOwner() = default;

void ReadingsWindowOwner::show()
{
    if (!window_) {
        window_ = std::make_unique<ReadingsWindow>();
        connect(window_.get(), &ReadingsWindow::rangeChosen, this, &ReadingsWindowOwner::showRange);
    }
    if (last_)
        window_->showReadings(readingTexts(*last_, context_.settings.Rate, systemNumberSymbols()),
                              lastTimeText_);
    showRange(window_->range());
    window_->show();
    window_->raise();
    window_->activateWindow();
    refreshFeed();
    feedTimer_.start();
}

void ReadingsWindowOwner::closeUnlessMaximized()
{
    if (window_ && !window_->isMaximized())
        window_->close();
}

void ReadingsWindowOwner::takeReadings(const LiveReadings& readings)
{
    last_ = readings;
    const DateTime now = context_.clock.now();
    lastTime_ = epochOf(now);
    lastTimeText_ = formatDateTime(now, "yyyy-mm-dd hh:nn:ss");
    if (!visible())
        return;
    window_->showReadings(readingTexts(readings, context_.settings.Rate, systemNumberSymbols()), lastTimeText_);
    if (window_->range() == ChartRange::LastHour)
        window_->chart().appendLive({.time = lastTime_, .watts1 = readings.Watts1, .watts2 = readings.Watts2});
    refreshFeed();
}

void ReadingsWindowOwner::takeMinute(const MinuteRow& row)
{
    if (visible() && window_->range() != ChartRange::LastHour && row.time >= rangeEnd_)
        showRange(window_->range());
}

void ReadingsWindowOwner::refreshFeed()
{
    if (!visible()) {
        feedTimer_.stop();
        return;
    }
    FeedState state{.portOpen = context_.monitor.ports().isOpen(), .realTimeOn = context_.monitor.state().RealTimeOn};
    if (last_)
        state.silentSeconds = epochOf(context_.clock.now()) - lastTime_;
    window_->showFeed(noDataText(state), state.realTimeOn);
}

void ReadingsWindowOwner::showRange(ChartRange range)
{
    const EpochSeconds now = context_.history.now();
    const EpochSeconds from = now - rangeSeconds(range);
    if (range == ChartRange::LastHour) {
        window_->chart().showLive(powerOf(context_.history.packets(from, now + 1)), now);
        return;
    }
    const EpochSeconds bucket = std::max<EpochSeconds>(60, rangeSeconds(range) / kRangePoints);
    rangeEnd_ = now - now % bucket + bucket;
    window_->chart().showRange(context_.history.power(from, now + 1, bucket), from, now);
}
