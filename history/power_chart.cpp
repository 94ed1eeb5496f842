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
    replacePoints(points);
    timeAxis_->setFormat(QStringLiteral("HH:mm"));
    timeAxis_->setRange(dateTime(now - kLiveSeconds), dateTime(now));
}

void PowerChart::appendLive(const PowerPoint& point)
{
    channel1_->append(at(point.time, point.watts1));
    channel2_->append(at(point.time, point.watts2));
    const double oldest = static_cast<double>((point.time - kLiveSeconds) * kMsPerSecond);
    qsizetype gone = 0;
    while (gone < channel1_->count()
           && (channel1_->at(gone).x() < oldest || channel1_->count() - gone > livePointCap_))
        ++gone;
    bool boundLeft = false;
    for (qsizetype i = 0; i < gone; ++i) {
        for (QLineSeries* series : {channel1_, channel2_}) {
            const double y = series->at(i).y();
            boundLeft = boundLeft || (y <= lowest_ && lowest_ < 0) || y >= highest_;
        }
    }
    if (gone > 0) {
        channel1_->removePoints(0, static_cast<int>(gone));
        channel2_->removePoints(0, static_cast<int>(gone));
    }
    const bool outside = std::min(point.watts1, point.watts2) < lowest_ || std::max(point.watts1, point.watts2) > highest_;
    if (boundLeft || outside)
        fitPowerAxis();
    timeAxis_->setRange(dateTime(point.time - kLiveSeconds), dateTime(point.time));
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
