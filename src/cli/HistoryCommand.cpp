#include "HistoryCommand.h"

#include "ExitCodes.h"

#include "files/SettingsFile.h"
#include "history/HistoryCsv.h"
#include "history/HistoryQuery.h"
#include "history/HistoryStore.h"
#include "history/ThresholdLines.h"
#include "params/ParameterSet.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <limits>

namespace korvane::cli {
namespace {

struct WindThreshold {
    QString motor; // "Motor 3 (Küche)"
    double kmh = 0;
};

// What a day of minutes held.
struct DaySummary {
    std::array<std::optional<double>, kHistoryChannelCount> min, max;
    int rainMinutes = 0;
    QList<int> windMinutes; // per threshold, minutes whose strongest wind was above it
};

QString range(const std::optional<double>& lo, const std::optional<double>& hi, int decimals,
              const QString& unit) {
    if (!lo || !hi)
        return QStringLiteral("\u2013");
    auto text = [&](double v) { return QString::number(v, 'f', decimals).replace(u'.', u','); };
    return text(*lo) + QStringLiteral(" bis ") + text(*hi) + unit;
}

QList<WindThreshold> windThresholds(const ParameterSet& set) {
    QList<WindThreshold> result;
    for (int m = 0; m < kMotorCount; ++m)
        for (const ThresholdLine& line : thresholdLines(set, set.activeProfile, m))
            if (line.chart == HistoryChart::Wind)
                result.append({QStringLiteral("Motor %1 (%2)")
                                   .arg(m + 1)
                                   .arg(set.motorNames.name(m).trimmed()),
                               line.value});
    return result;
}

void printSummary(const QMap<QDate, DaySummary>& days, const QList<WindThreshold>& thresholds,
                  QTextStream& out) {
    const QString degrees = QStringLiteral(" \u00B0C");
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        const DaySummary& d = it.value();
        auto r = [&](HistoryChannel c, int decimals, const QString& unit) {
            return range(d.min[int(c)], d.max[int(c)], decimals, unit);
        };
        out << it.key().toString(QStringLiteral("dd.MM.yyyy"))
            << QStringLiteral("  Helligkeit %1  Mittel %2  Innen %3  Au\u00DFen %4  Wind %5  Max. "
                              "Wind %6  Feuchte %7  Regen %8 h\n")
                   .arg(r(HistoryChannel::LuxNow, 0, QString()),
                        r(HistoryChannel::LuxMean, 0, QString()),
                        r(HistoryChannel::Inside, 1, degrees),
                        r(HistoryChannel::Outside, 1, degrees),
                        r(HistoryChannel::Wind, 0, QStringLiteral(" km/h")),
                        r(HistoryChannel::WindMax, 0, QStringLiteral(" km/h")),
                        r(HistoryChannel::Humidity, 0, QStringLiteral(" %")),
                        QString::number(d.rainMinutes / 60.0, 'f', 1).replace(u'.', u','));
        for (int i = 0; i < thresholds.size(); ++i)
            out << QStringLiteral("            Wind \u00FCber %1 km/h (%2): %3 min\n")
                       .arg(thresholds[i].kmh)
                       .arg(thresholds[i].motor)
                       .arg(d.windMinutes.value(i));
    }
}

} // namespace

std::optional<QDateTime> parseHistoryDate(const QString& text, bool endOfDay) {
    const QString t = text.trimmed();
    QDateTime dt = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy HH:mm"));
    if (dt.isValid())
        return dt;
    const QDate date = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(endOfDay ? date.addDays(1) : date, QTime(0, 0));
}

int runHistoryCommand(const HistoryOptions& options, QTextStream& out, QTextStream& err) {
    qint64 from = std::numeric_limits<qint64>::min() / 2;
    qint64 to = std::numeric_limits<qint64>::max() / 2;
    for (const auto& [text, target, end] :
         {std::tuple{options.from, &from, false}, std::tuple{options.to, &to, true}}) {
        if (text.isEmpty())
            continue;
        const auto date = parseHistoryDate(text, end);
        if (!date) {
            err << QStringLiteral("korvane-cli: Ung\u00FCltiges Datum \u201E%1\u201C: erwartet "
                                  "TT.MM.JJJJ oder \u201ETT.MM.JJJJ hh:mm\u201C\n")
                       .arg(text);
            return kExitUsage;
        }
        *target = date->toMSecsSinceEpoch();
    }
    if (options.minutes && options.csvPath.isEmpty()) {
        err << QStringLiteral("korvane-cli: --minutes geh\u00F6rt zu --csv DATEI\n");
        return kExitUsage;
    }

    QList<WindThreshold> thresholds;
    if (!options.thresholdsPath.isEmpty()) {
        ParameterSet set;
        const LoadResult loaded = loadSettingsFile(options.thresholdsPath, set);
        if (!loaded.ok()) {
            err << loaded.message() << '\n';
            return kExitFile;
        }
        thresholds = windThresholds(set);
    }

    const QString path = options.dbPath.isEmpty() ? HistoryStore::defaultPath() : options.dbPath;
    if (!QFileInfo::exists(path)) {
        err << QStringLiteral("Es gibt keinen Verlauf in %1.\n")
                   .arg(QDir::toNativeSeparators(path));
        return kExitFile;
    }
    HistoryStore store;
    if (!store.openForReading(path)) {
        err << store.lastProblem() << '\n';
        return kExitFile;
    }
    QString error;
    if (!options.csvPath.isEmpty()) {
        const bool ok =
            options.minutes
                ? saveStoredMinutesCsv(store.database(), from, to, options.csvPath, &error)
                : saveStoredHistoryCsv(store.database(), from, to, options.csvPath, &error);
        if (!ok) {
            err << error << '\n';
            return kExitFile;
        }
        return kExitOk;
    }

    QMap<QDate, DaySummary> days;
    const bool read = forEachStoredMinute(
        store.database(), from, to,
        [&](const AggregateRow& row) {
            DaySummary& d = days[QDateTime::fromMSecsSinceEpoch(row.msecs).date()];
            for (int c = 0; c < kHistoryChannelCount; ++c) {
                const auto& v = row.values[c];
                if (v.min && (!d.min[c] || *v.min < *d.min[c]))
                    d.min[c] = v.min;
                if (v.max && (!d.max[c] || *v.max > *d.max[c]))
                    d.max[c] = v.max;
            }
            d.rainMinutes += row.rain;
            d.windMinutes.resize(thresholds.size());
            const auto& wind = row.values[int(HistoryChannel::Wind)].max;
            for (int i = 0; i < thresholds.size(); ++i)
                d.windMinutes[i] += wind && *wind > thresholds[i].kmh;
        },
        &error);
    if (!read) {
        err << QStringLiteral("Der Verlauf kann nicht gelesen werden: %1\n").arg(error);
        return kExitFile;
    }
    if (days.isEmpty())
        err << QStringLiteral("Im gew\u00E4hlten Zeitraum ist nichts aufgezeichnet.\n");
    printSummary(days, thresholds, out);
    return kExitOk;
}

} // namespace korvane::cli
