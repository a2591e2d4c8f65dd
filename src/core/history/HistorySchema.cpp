#include "history/HistorySchema.h"

namespace korvane {

const QStringList& historyValueColumns() {
    static const QStringList columns{QStringLiteral("lux_now"), QStringLiteral("lux_mean"),
                                     QStringLiteral("inside"),  QStringLiteral("outside"),
                                     QStringLiteral("wind"),    QStringLiteral("wind_max"),
                                     QStringLiteral("humidity")};
    return columns;
}

QStringList historyTables() {
    return {QStringLiteral("hours"), QStringLiteral("minutes"), QStringLiteral("samples")};
}

QStringList historySchemaStatements() {
    QStringList samples, aggregates;
    for (const QString& c : historyValueColumns()) {
        samples << c + QStringLiteral(" INTEGER");
        aggregates << c + QStringLiteral("_min INTEGER") << c + QStringLiteral("_mean INTEGER")
                   << c + QStringLiteral("_max INTEGER");
    }
    const QString aggregateColumns = aggregates.join(QStringLiteral(", "));
    return {
        QStringLiteral("CREATE TABLE samples (t INTEGER PRIMARY KEY, %1, flags INTEGER NOT NULL)")
            .arg(samples.join(QStringLiteral(", "))),
        QStringLiteral("CREATE TABLE minutes (t INTEGER PRIMARY KEY, n INTEGER NOT NULL, %1, "
                       "flags INTEGER NOT NULL)")
            .arg(aggregateColumns),
        QStringLiteral("CREATE TABLE hours (t INTEGER PRIMARY KEY, n INTEGER NOT NULL, %1, "
                       "flags INTEGER NOT NULL)")
            .arg(aggregateColumns)};
}

QString historyAggregateSql(const QString& source, const QString& target, qint64 periodMs) {
    const bool fromSamples = source == QLatin1String("samples");
    QStringList names{QStringLiteral("t"), QStringLiteral("n")}, values;
    values << QStringLiteral("t / %1 * %1").arg(periodMs)
           << (fromSamples ? QStringLiteral("count(*)") : QStringLiteral("sum(n)"));
    for (const QString& c : historyValueColumns()) {
        names << c + QStringLiteral("_min") << c + QStringLiteral("_mean")
              << c + QStringLiteral("_max");
        if (fromSamples) {
            values << QStringLiteral("min(%1)").arg(c)
                   << QStringLiteral("CAST(round(avg(%1) * 10) AS INTEGER)").arg(c)
                   << QStringLiteral("max(%1)").arg(c);
        } else { // the mean of the means, weighted by the samples behind each
            values << QStringLiteral("min(%1_min)").arg(c)
                   << QStringLiteral("CAST(round(sum(%1_mean * n) * 1.0 / sum(CASE WHEN %1_mean "
                                     "IS NULL THEN 0 ELSE n END)) AS INTEGER)")
                          .arg(c)
                   << QStringLiteral("max(%1_max)").arg(c);
        }
    }
    names << QStringLiteral("flags");
    values << QStringLiteral("max(flags & 1) | max(flags & 2) | max(flags & 4)");
    return QStringLiteral("INSERT OR REPLACE INTO %1 (%2) SELECT %3 FROM %4 WHERE t >= ? AND t < ? "
                          "GROUP BY t / %5")
        .arg(target, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), source)
        .arg(periodMs);
}

} // namespace korvane
