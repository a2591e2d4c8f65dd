#include "params/SwitchTimeTexts.h"

#include "params/SwitchTimeTable.h"

#include <array>

namespace korvane {

namespace {

constexpr std::array<const char*, kSwitchDays> kDayAbbreviations{"Mo", "Di", "Mi", "Do",
                                                                 "Fr", "Sa", "So"};
constexpr std::array<const char*, kSwitchDays> kPaddedWeekdays{
    "Montag    ", "Dienstag  ", "Mittwoch  ", "Donnerstag",
    "Freitag   ", "Samstag   ", "Sonntag   "};

bool isValidDay(int day) {
    return day >= 0 && day < kSwitchDays;
}

} // namespace

QString dayAbbreviation(int day) {
    return isValidDay(day) ? QString::fromLatin1(kDayAbbreviations[day]) : QString();
}

QStringList dayAbbreviations() {
    QStringList out;
    for (const char* d : kDayAbbreviations)
        out << QString::fromLatin1(d);
    return out;
}

QString paddedWeekdayName(int day) {
    return isValidDay(day) ? QString::fromLatin1(kPaddedWeekdays[day]) : QString();
}

bool timeToHourMinute(qint32 time, int* hour, int* minute) {
    if (time < 1 || time > kLastTime)
        return false;
    *hour = (time - 1) / 60;
    *minute = (time - 1) % 60;
    return true;
}

QString timeText(qint32 time) {
    if (time == kNoTime)
        return QStringLiteral("     ");
    int hour = 0;
    int minute = 0;
    if (!timeToHourMinute(time, &hour, &minute))
        return QStringLiteral("--:--");
    return QStringLiteral("%1:%2")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'));
}

QStringList timeItems() {
    QStringList out;
    out.reserve(kLastTime + 1);
    for (qint32 t = 0; t <= kLastTime; ++t)
        out << timeText(t);
    return out;
}

QString durationText(qint32 duration) {
    if (duration < 0 || duration >= kDurationItemCount)
        return QString();
    if (duration <= 98)
        return QString::number(duration + 1) + QLatin1Char('s');
    if (duration == 99)
        return QStringLiteral("100");
    if (duration <= 125)
        return QString::number(100 + 10 * (duration - 99));
    return QStringLiteral("Dau");
}

QStringList durationItems() {
    QStringList out;
    out.reserve(kDurationItemCount);
    for (qint32 i = 0; i < kDurationItemCount; ++i)
        out << durationText(i);
    return out;
}

QStringList directionItems() {
    return {QStringLiteral("\u00e9"), QStringLiteral("\u00ea")};
}

QStringList functionItems() {
    return {QStringLiteral("-"), QStringLiteral("Astro"), QStringLiteral("Zufall")};
}

QStringList slotNumberItems() {
    QStringList out;
    for (int k = 1; k <= kSlotsPerMotor; ++k)
        out << QString::number(k);
    out << QStringLiteral(" ");
    return out;
}

QStringList groupItems(int day) {
    if (isWeekend(day))
        return {QStringLiteral("-"), QStringLiteral("Sa - So"), QStringLiteral("Mo - So")};
    return {QStringLiteral("-"), QStringLiteral("Mo - Fr"), QStringLiteral("Mo - So")};
}

GroupChoice groupChoiceFromText(const QString& text) {
    if (text == QLatin1String("-"))
        return GroupChoice::SingleDay;
    if (text == QLatin1String("Mo - Fr"))
        return GroupChoice::Workdays;
    if (text == QLatin1String("Sa - So"))
        return GroupChoice::Weekend;
    if (text == QLatin1String("Mo - So"))
        return GroupChoice::WholeWeek;
    return GroupChoice::None;
}

int groupItemForLoad(qint32 group) {
    if (group == kGroupSingleDay)
        return 0;
    if (group == kGroupWholeWeek)
        return 2;
    return 1;
}

int groupItemForRowClick(int day, qint32 group) {
    if (group == kGroupSingleDay)
        return 0;
    if (group == kGroupWholeWeek)
        return 2;
    if (group == (isWeekend(day) ? kGroupWeekend : kGroupWorkdays))
        return 1;
    return -1;
}

} // namespace korvane
