// Value labels take keyboard focus, so that a screen reader user can step through them.
#include "history/readings_window.h"

#include "history/power_chart.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr double kLargeFont = 2.0;

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

QLabel* valueLabel(const QString& name, double scale = kLargeFont)
{
    auto* label = new QLabel(QStringLiteral("-"));
    label->setObjectName(name);
    label->setAccessibleName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    label->setFocusPolicy(Qt::TabFocus);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(true);
    label->setFont(font);
    return label;
}

// The table's rows: caption, what a screen reader hears after the channel, and the text.
struct ReadingRow {
    const char* caption;
    const char* kind;
    std::string ChannelTexts::*text;
};

constexpr ReadingRow kRows[] = {
    {"Power (W)", "power", &ChannelTexts::watts},
    {"Current (A)", "current", &ChannelTexts::amps},
    {"Power factor", "power factor", &ChannelTexts::powerFactor},
    {"Energy (kWh)", "energy", &ChannelTexts::kWh},
    {"Cost", "cost", &ChannelTexts::cost},
    {"Bought (kWh)", "bought", &ChannelTexts::boughtKWh},
    {"Sold (kWh)", "sold", &ChannelTexts::soldKWh},
    {"Cost of bought", "cost of bought", &ChannelTexts::boughtCost},
    {"Direction", "direction", &ChannelTexts::direction},
};

} // namespace

EpochSeconds rangeSeconds(ChartRange range)
{
    constexpr EpochSeconds kDay = 86400;
    switch (range) {
    case ChartRange::LastHour:
        return 3600;
    case ChartRange::LastDay:
        return kDay;
    case ChartRange::LastWeek:
        return 7 * kDay;
    case ChartRange::LastMonth:
        return 30 * kDay;
    }
    return kDay;
}

ReadingsWindow::ReadingsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      feedLine_(new QLabel),
      volts_(valueLabel(QStringLiteral("Voltage"))),
      packetTime_(valueLabel(QStringLiteral("Last packet"), 1)),
      realTime_(valueLabel(QStringLiteral("Real-time data"), 1)),
      rangeBox_(new QComboBox),
      chart_(new PowerChart)
{
    setObjectName(QStringLiteral("LiveReadings"));
    setWindowTitle(QStringLiteral("Live Readings"));
    feedLine_->setObjectName(QStringLiteral("DataState"));
    feedLine_->setAccessibleName(QStringLiteral("Data state"));
    feedLine_->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));

    auto* grid = new QGridLayout;
    constexpr int kRowCount = static_cast<int>(std::size(kRows));
    static_assert(std::tuple_size_v<ChannelLabels> == std::size(kRows));
    for (int row = 0; row < kRowCount; ++row)
        grid->addWidget(new QLabel(QString::fromLatin1(kRows[row].caption)), row + 1, 0);
    for (int channel = 0; channel < 2; ++channel) {
        const QString prefix = QStringLiteral("Channel %1 ").arg(channel + 1);
        auto* heading = new QLabel(QStringLiteral("Channel %1").arg(channel + 1));
        heading->setAlignment(Qt::AlignRight);
        grid->addWidget(heading, 0, channel + 1);
        ChannelLabels& labels = channels_[static_cast<std::size_t>(channel)];
        for (int row = 0; row < kRowCount; ++row) {
            const auto index = static_cast<std::size_t>(row);
            labels[index] = valueLabel(prefix + QString::fromLatin1(kRows[row].kind), row < 5 ? kLargeFont : 1.2);
            grid->addWidget(labels[index], row + 1, channel + 1);
        }
    }
    grid->addWidget(new QLabel(QStringLiteral("Voltage (V)")), kRowCount + 1, 0);
    grid->addWidget(volts_, kRowCount + 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Last packet")), kRowCount + 2, 0);
    grid->addWidget(packetTime_, kRowCount + 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Real-time data")), kRowCount + 3, 0);
    grid->addWidget(realTime_, kRowCount + 3, 1, 1, 2);

    rangeBox_->setObjectName(QStringLiteral("ChartRange"));
    rangeBox_->addItems({QStringLiteral("Last hour (live)"), QStringLiteral("Last 24 hours"),
                         QStringLiteral("Last 7 days"), QStringLiteral("Last 30 days")});
    auto* rangeLabel = new QLabel(QStringLiteral("Chart &range:"));
    rangeLabel->setBuddy(rangeBox_);
    rangeBox_->setAccessibleName(QStringLiteral("Chart range"));
    connect(rangeBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { emit rangeChosen(static_cast<ChartRange>(index)); });
    auto* closeButton = new QPushButton(QStringLiteral("&Close"));
    closeButton->setObjectName(QStringLiteral("Close"));
    closeButton->setAccessibleName(QStringLiteral("Close"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(rangeLabel);
    bottom->addWidget(rangeBox_);
    bottom->addStretch();
    bottom->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(feedLine_);
    layout->addLayout(grid);
    chart_->setMinimumHeight(260);
    layout->addWidget(chart_, 1);
    layout->addLayout(bottom);
    resize(640, 820);
}

void ReadingsWindow::showReadings(const ReadingTexts& texts, const std::string& packetTime)
{
    volts_->setText(qText(texts.volts));
    for (std::size_t channel = 0; channel < 2; ++channel) {
        const ChannelTexts& values = texts.channels[channel];
        const ChannelLabels& labels = channels_[channel];
        for (std::size_t row = 0; row < labels.size(); ++row)
            labels[row]->setText(qText(values.*kRows[row].text));
    }
    packetTime_->setText(qText(packetTime));
}

void ReadingsWindow::showFeed(const std::string& noData, bool realTimeOn)
{
    const QString line = noData.empty() ? QStringLiteral("Receiving data.") : qText(noData);
    realTime_->setText(realTimeOn ? QStringLiteral("On") : QStringLiteral("Off"));
    // A style sheet costs a re-polish: set only when the state changes.
    if (line == feedLine_->text())
        return;
    feedLine_->setText(line);
    feedLine_->setStyleSheet(noData.empty() ? QStringLiteral("color: #006000; font-weight: bold")
                                            : QStringLiteral("color: #a00000; font-weight: bold"));
}

ChartRange ReadingsWindow::range() const
{
    return static_cast<ChartRange>(rangeBox_->currentIndex());
}

void ReadingsWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
