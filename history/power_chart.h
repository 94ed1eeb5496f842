// Both channels' power against time: the last hour live, a point appended per
// packet, or a longer range of the history drawn at once.
#pragma once

#include "history/history_rows.h"

#include <QChartView>
#include <QList>
#include <QPointF>
#include <vector>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

class PowerChart : public QChartView {
    Q_OBJECT

public:
    static constexpr EpochSeconds kLiveSeconds = 3600;
    // The simulator streams up to 44 packets a second; the live hour keeps no more.
    static constexpr qsizetype kLivePointCap = 3600;
    // The live hour moves by one pixel every hour/width seconds: it is redrawn no more
    // often than that (the numbers above it follow every packet), and at least this often.
    static constexpr EpochSeconds kMaxRedrawSeconds = 5;

    explicit PowerChart(qsizetype livePointCap = kLivePointCap, QWidget* parent = nullptr);

    // The last hour live, from these points on.
    void showLive(const std::vector<PowerPoint>& points, EpochSeconds now);
    // The point waits until the chart is next redrawn.
    void appendLive(const PowerPoint& point);
    // A range of the history; the points replace what is shown.
    void showRange(const std::vector<PowerPoint>& points, EpochSeconds from, EpochSeconds to);

    // The points drawn.
    qsizetype pointCount() const;

private:
    void replacePoints(const std::vector<PowerPoint>& points);
    void fitPowerAxis();
    // Adds the waiting points and drops those out of the hour or over the cap; true when
    // a dropped point lay on a bound of the power axis.
    bool advance(QLineSeries& series, QList<QPointF>& waiting, double oldest) const;
    EpochSeconds redrawSeconds() const;

    QLineSeries* channel1_;
    QLineSeries* channel2_;
    QDateTimeAxis* timeAxis_;
    QValueAxis* powerAxis_;
    qsizetype livePointCap_;
    QList<QPointF> waiting1_;
    QList<QPointF> waiting2_;
    EpochSeconds drawnUntil_ = 0;
    // The power axis spans these; it is refitted only when a point leaves them or a bound leaves.
    double lowest_ = 0;
    double highest_ = 0;
};
