#include "history/history_time.h"

#include <QDateTime>

EpochSeconds epochOf(const DateTime& t)
{
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::LocalTime)
        .toSecsSinceEpoch();
}

std::string isoText(EpochSeconds time)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(time);
    // Local time alone would be written without its offset.
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}
