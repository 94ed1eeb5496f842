// The system clock through QDateTime.
#include "platform/qt_clock.h"

#include <QDateTime>

DateTime QtClock::now() const
{
    const QDateTime current = QDateTime::currentDateTime();
    const QDate date = current.date();
    const QTime time = current.time();
    return DateTime{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}
