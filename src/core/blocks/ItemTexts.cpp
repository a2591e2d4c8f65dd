#include "blocks/ItemTexts.h"

namespace korvane::items {

QString onOff(int index) {
    return index == 0 ? QStringLiteral("EIN") : QStringLiteral("AUS");
}

QString runTime(int index) {
    if (index <= 98)
        return QString::number(index + 1) + u's';
    if (index <= 188)
        return QString::number(100 + 10 * (index - 99)) + u's';
    if (index == 189)
        return QStringLiteral("999s");
    return QStringLiteral("Dauer");
}

QString arrow(int index) {
    return index == 0 ? QStringLiteral("é") : QStringLiteral("ê");
}

QString reaction(int index) {
    return index < 2 ? arrow(index) : QStringLiteral("deaktiv");
}

QString comparisonT(int index) {
    return index == 0 ? QStringLiteral("T>") : QStringLiteral("T<");
}

QString comparisonF(int index) {
    return index == 0 ? QStringLiteral("F>") : QStringLiteral("F<");
}

QString percent(int index) {
    return QString::number(index + 1) + u'%';
}

QString tenths(int index) {
    return QStringLiteral("%1,%2").arg(index / 10).arg(index % 10);
}

QString windSpeed(int index) {
    return QString::number((index + 1) * 5);
}

QString hourText(int hour) {
    return QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
}

QString numberText(int value) {
    return QString::number(value);
}

QString degreeText(int value) {
    return QString::number(value) + u'°';
}

} // namespace korvane::items
