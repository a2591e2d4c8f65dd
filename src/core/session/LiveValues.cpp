#include "session/LiveValues.h"

namespace korvane {
namespace {

const QString kDegree = QStringLiteral("\u00B0");

struct Temperature {
    QString now, min, max;
    std::optional<QString> panel;
};

Temperature temperature(const ReplyValues& v, int first, const QString& panelPrefix) {
    if (v[first] == kNoTemperatureSensor)
        return {QStringLiteral("    -"), QStringLiteral("   -"), QStringLiteral("   -"), {}};
    Temperature t;
    t.now = QString::number(v[first]) + QLatin1Char(',') + QString::number(v[first + 1]) + kDegree;
    t.min = QString::number(v[first + 2]) + kDegree;
    t.max = QString::number(v[first + 3]) + kDegree;
    t.panel = panelPrefix + t.now;
    return t;
}

} // namespace

double temperatureDegrees(qint32 whole, qint32 tenths) {
    const double fraction = qAbs(tenths) / 10.0;
    return whole < 0 ? whole - fraction : whole + fraction;
}

LiveDisplay decodeLiveValues(const ReplyValues& v, bool luxMeanShown, bool outdoorModel) {
    LiveDisplay d;
    d.raw = v;
    if (outdoorModel) {
        d.sunPanel = QStringLiteral("Sonne: ") + QString::number(v[0]);
        d.windPanel = QStringLiteral("Wind: ") + QString::number(v[13]);
    }
    d.lux = QString::number(luxMeanShown ? v[14] : v[0]);

    const Temperature inside = temperature(v, 1, QStringLiteral("IT: "));
    d.insideNow = inside.now;
    d.insideMin = inside.min;
    d.insideMax = inside.max;
    d.insidePanel = inside.panel;

    const Temperature outside = temperature(v, 5, QStringLiteral("AT: "));
    d.outsideNow = outside.now;
    d.outsideMin = outside.min;
    d.outsideMax = outside.max;
    d.outsidePanel = outside.panel;

    d.windNow = QString::number(v[9]) + QStringLiteral(" km/h");
    d.windBar = v[9];
    d.windBarVisible = v[9] != 0;
    d.windMax = QString::number(v[10]) + QStringLiteral(" km/h");
    d.alarm = v[11] == 0 ? QStringLiteral("   Kein Alarm") : QStringLiteral("Alarm ausgel\u00F6st");
    d.rain = v[12] == 0 ? QStringLiteral(" Kein Regen") : QStringLiteral(" Es regnet");
    d.humidity = v[15] == 0 ? QStringLiteral(" - ") : QString::number(v[15]) + QStringLiteral(" %");
    return d;
}

} // namespace korvane
