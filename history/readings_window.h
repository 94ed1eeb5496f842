// The live readings window: large numbers per channel, the voltage, the time of the
// last packet, whether data flows (and why not), and the power chart with its range.
#pragma once

#include "history/history_rows.h"
#include "history/reading_texts.h"

#include <QWidget>
#include <array>
#include <string>

class PowerChart;
class QComboBox;
class QLabel;

// The chart's ranges, in the order of the range box.
enum class ChartRange { LastHour, LastDay, LastWeek, LastMonth };
EpochSeconds rangeSeconds(ChartRange range);

class ReadingsWindow : public QWidget {
    Q_OBJECT

public:
    explicit ReadingsWindow(QWidget* parent = nullptr);

    void showReadings(const ReadingTexts& texts, const std::string& packetTime);
    // noData is empty while packets arrive.
    void showFeed(const std::string& noData, bool realTimeOn);

    PowerChart& chart() { return *chart_; }
    ChartRange range() const;

signals:
    void rangeChosen(ChartRange range);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // One label per row of the table, in the order of its rows.
    using ChannelLabels = std::array<QLabel*, 9>;

    QLabel* feedLine_;
    QLabel* volts_;
    QLabel* packetTime_;
    QLabel* realTime_;
    std::array<ChannelLabels, 2> channels_;
    QComboBox* rangeBox_;
    PowerChart* chart_;
};
