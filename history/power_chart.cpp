// Points are appended and dropped at the ends; the series are never rebuilt for a packet.
#include "history/power_chart.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace {

constexpr qint64 kMsPerSecond = 1000;
constexpr double kHeadroom = 1.1;

QPointF at(EpochSeconds time, double watts)
{
    return {static_cast<double>(time * kMsPerSecond), watts};
}

QDateTime dateTime(EpochSeconds time)
{
    return QDateTime::fromSecsSinceEpoch(time);
}

} // namespace

PowerChart::PowerChart(qsizetype livePointCap, QWidget* parent)
    : QChartView(parent),
      channel1_(new QLineSeries),
      channel2_(new QLineSeries),
      timeAxis_(new QDateTimeAxis),
      powerAxis_(new QValueAxis),
      livePointCap_(livePointCap)
{
    setObjectName(QStringLiteral("PowerChart"));
    setAccessibleName(QStringLiteral("Power chart of channels 1 and 2"));
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    channel1_->setName(QStringLiteral("Channel 1 (W)"));
    channel2_->setName(QStringLiteral("Channel 2 (W)"));
    chart->addSeries(channel1_);
    chart->addSeries(channel2_);
    timeAxis_->setFormat(QStringLiteral("HH:mm"));
    powerAxis_->setLabelFormat(QStringLiteral("%.0f"));
    powerAxis_->setTitleText(QStringLiteral("Watts"));
    chart->addAxis(timeAxis_, Qt::AlignBottom);
    chart->addAxis(powerAxis_, Qt::AlignLeft);
    for (QLineSeries* series : {channel1_, channel2_}) {
        series->attachAxis(timeAxis_);
        series->attachAxis(powerAxis_);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    setChart(chart);
}

void PowerChart::showLive(const std::vector<PowerPoint>& points, EpochSeconds now)
{
    waiting1_.clear();
    waiting2_.clear();
    drawnUntil_ = now;
    replacePoints(points);
    timeAxis_->setFormat(QStringLiteral("HH:mm"));
    timeAxis_->setRange(dateTime(now - kLiveSeconds), dateTime(now));
}

void PowerChart::appendLive(const PowerPoint& point)
{
    waiting1_.append(at(point.time, point.watts1));
    waiting2_.append(at(point.time, point.watts2));
    if (point.time - drawnUntil_ < redrawSeconds())
        return;
    drawnUntil_ = point.time;
    bool outside = false;
    for (const QList<QPointF>* waiting : {&waiting1_, &waiting2_}) {
        for (const QPointF& p : *waiting)
            outside = outside || p.y() < lowest_ || p.y() > highest_;
    }
    const double oldest = static_cast<double>((point.time - kLiveSeconds) * kMsPerSecond);
    const bool boundLeft1 = advance(*channel1_, waiting1_, oldest);
    const bool boundLeft2 = advance(*channel2_, waiting2_, oldest);
    if (outside || boundLeft1 || boundLeft2)
        fitPowerAxis();
    timeAxis_->setRange(dateTime(point.time - kLiveSeconds), dateTime(point.time));
}

bool PowerChart::advance(QLineSeries& series, QList<QPointF>& waiting, double oldest) const
{
    QList<QPointF> points = series.points();
    points.append(waiting);
    waiting.clear();
    qsizetype gone = 0;
    while (gone < points.size() && (points[gone].x() < oldest || points.size() - gone > livePointCap_))
        ++gone;
    bool boundLeft = false;
    for (qsizetype i = 0; i < gone; ++i)
        boundLeft = boundLeft || (points[i].y() <= lowest_ && lowest_ < 0) || points[i].y() >= highest_;
    points.remove(0, gone);
    // One replace: the series' geometry is worked out once, not once per point added or dropped.
    series.replace(points);
    return boundLeft;
}

EpochSeconds PowerChart::redrawSeconds() const
{
    const double width = chart()->plotArea().width();
    if (width < 1)
        return 1;
    return std::clamp(static_cast<EpochSeconds>(static_cast<double>(kLiveSeconds) / width), EpochSeconds{1},
                      kMaxRedrawSeconds);
}

void PowerChart::showRange(const std::vector<PowerPoint>& points, EpochSeconds from, EpochSeconds to)
{
    replacePoints(points);
    timeAxis_->setFormat(to - from > 86400 ? QStringLiteral("dd MMM") : QStringLiteral("HH:mm"));
    timeAxis_->setRange(dateTime(from), dateTime(to));
}

qsizetype PowerChart::pointCount() const
{
    return channel1_->count();
}

void PowerChart::replacePoints(const std::vector<PowerPoint>& points)
{
    QList<QPointF> one;
    QList<QPointF> two;
    one.reserve(static_cast<qsizetype>(points.size()));
    two.reserve(static_cast<qsizetype>(points.size()));
    for (const PowerPoint& point : points) {
        one.append(at(point.time, point.watts1));
        two.append(at(point.time, point.watts2));
    }
    // One replace per series: a single redraw instead of one per point.
    channel1_->replace(one);
    channel2_->replace(two);
    fitPowerAxis();
}

void PowerChart::fitPowerAxis()
{
    lowest_ = 0;
    highest_ = 0;
    for (QLineSeries* series : {channel1_, channel2_}) {
        for (const QPointF& point : series->points()) {
            lowest_ = std::min(lowest_, point.y());
            highest_ = std::max(highest_, point.y());
        }
    }
    powerAxis_->setRange(lowest_ * kHeadroom, std::max(highest_ * kHeadroom, 10.0));
    powerAxis_->applyNiceNumbers();
}
