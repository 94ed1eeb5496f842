#include "history/history_time.h"

#include <QDateTime>
#include <QTimeZone>
#include <cstdlib>
#include <limits>

EpochSeconds epochOf(const DateTime& t)
{
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::LocalTime)
        .toSecsSinceEpoch();
}

std::string isoText(EpochSeconds time)
{
    return IsoTimeText()(time);
}

namespace {

// Two digits, or four, at the text's end.
void appendDigits(std::string& text, int value, int width)
{
    char digits[4];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = static_cast<char>('0' + value % 10);
    text.append(digits, static_cast<std::size_t>(width));
}

} // namespace

std::string IsoTimeText::operator()(EpochSeconds time) const
{
    if (time < from_ || time >= until_) {
        const QTimeZone zone = QTimeZone::systemTimeZone();
        const QDateTime at = QDateTime::fromSecsSinceEpoch(time);
        offsetSeconds_ = at.offsetFromUtc();
        const QTimeZone::OffsetData before = zone.previousTransition(at.addSecs(1));
        const QTimeZone::OffsetData after = zone.nextTransition(at);
        constexpr EpochSeconds kEver = std::numeric_limits<EpochSeconds>::max() / 2;
        from_ = before.atUtc.isValid() ? before.atUtc.toSecsSinceEpoch() : -kEver;
        until_ = after.atUtc.isValid() ? after.atUtc.toSecsSinceEpoch() : kEver;
        // Where the zone's rules and the system's local time disagree, nothing is kept.
        if (zone.offsetFromUtc(at) != offsetSeconds_)
            until_ = from_;
    }
    const EpochSeconds local = time + offsetSeconds_;
    const EpochSeconds days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    const auto secondOfDay = static_cast<int>(local - days * 86400);
    // Civil date from days since 1970 (proleptic Gregorian calendar).
    const EpochSeconds shifted = days + 719468;
    const EpochSeconds era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const auto dayOfEra = static_cast<int>(shifted - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const auto year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));

    std::string text;
    text.reserve(25);
    appendDigits(text, year, 4);
    text += '-';
    appendDigits(text, month, 2);
    text += '-';
    appendDigits(text, day, 2);
    text += 'T';
    appendDigits(text, secondOfDay / 3600, 2);
    text += ':';
    appendDigits(text, secondOfDay / 60 % 60, 2);
    text += ':';
    appendDigits(text, secondOfDay % 60, 2);
    if (offsetSeconds_ == 0)
        return text + 'Z';
    const int offset = std::abs(offsetSeconds_);
    text += offsetSeconds_ < 0 ? '-' : '+';
    appendDigits(text, offset / 3600, 2);
    text += ':';
    appendDigits(text, offset / 60 % 60, 2);
    return text;
}
