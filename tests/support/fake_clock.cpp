// Virtual time on top of a fixed start; the date rolls over with the hours.
#include "fake_clock.h"

#include <QDateTime>

DateTime FakeClock::now() const
{
    // UTC arithmetic: the virtual time has no daylight-saving jumps.
    const QDateTime start(QDate(start_.year, start_.month, start_.day),
                          QTime(start_.hour, start_.minute, start_.second), Qt::UTC);
    const QDateTime current = start.addMSecs(elapsedMs_);
    const QDate date = current.date();
    const QTime time = current.time();
    return DateTime{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}
