#include "history/HistoryCsv.h"

#include "history/HistoryQuery.h"
#include "history/LiveHistory.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <cmath>

namespace korvane {
namespace {

QString optionalTenths(qint16 tenths) {
    return tenths == LiveSample::kNoTemperature ? QString()
                                                : HistoryCsvWriter::decimalTenths(tenths);
}

QString timeText(qint64 msecs) {
    return QDateTime::fromMSecsSinceEpoch(msecs).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

// `v` with `decimals` places and a decimal comma; empty when missing.
QString decimal(const std::optional<double>& v, int decimals) {
    if (!v)
        return QString();
    const double rounded = std::round(*v * std::pow(10, decimals)) / std::pow(10, decimals);
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', decimals).replace(u'.', u',');
}

// Writes a CSV through `rows` atomically; the German error names the file.
bool saveCsv(const QString& path, QString* error,
             const std::function<bool(HistoryCsvWriter&, QString*)>& rows) {
    QSaveFile file(path);
    QString readError;
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        HistoryCsvWriter writer(file);
        ok = rows(writer, &readError) && file.commit();
    }
    if (!ok && error)
        *error = readError.isEmpty()
                     ? QStringLiteral("Kann %1 nicht schreiben: %2").arg(path, file.errorString())
                     : QStringLiteral("Der Verlauf kann nicht gelesen werden: %1").arg(readError);
    return ok;
}

} // namespace

QStringList HistoryCsvWriter::columns() {
    return {QStringLiteral("Zeit"),
            QStringLiteral("Helligkeit aktuell (Lux)"),
            QStringLiteral("Helligkeit Mittel (Lux)"),
            QStringLiteral("Innentemperatur (\u00B0C)"),
            QStringLiteral("Au\u00DFentemperatur (\u00B0C)"),
            QStringLiteral("Wind (km/h)"),
            QStringLiteral("Max. Wind (km/h)"),
            QStringLiteral("Regen (0/1)"),
            QStringLiteral("Alarm (0/1)"),
            QStringLiteral("Luftfeuchte (%)")};
}

QString HistoryCsvWriter::decimalTenths(int tenths) {
    const QString sign = tenths < 0 ? QStringLiteral("-") : QString();
    const int a = qAbs(tenths);
    return sign + QString::number(a / 10) + QLatin1Char(',') + QString::number(a % 10);
}

QStringList HistoryCsvWriter::cells(const LiveSample& s) {
    const auto number = [](std::optional<int> v) { return v ? QString::number(*v) : QString(); };
    const auto flag = [](std::optional<bool> v) {
        return v ? QString::number(*v ? 1 : 0) : QString();
    };
    return {timeText(s.msecs),
            number(s.brightness()),
            number(s.brightnessMean()),
            optionalTenths(s.insideTenths),
            optionalTenths(s.outsideTenths),
            number(s.windKmh()),
            number(s.windMaxKmh()),
            flag(s.raining()),
            flag(s.alarmRaised()),
            number(s.humidityPercent())};
}

bool HistoryCsvWriter::writeLine(const QStringList& cells) {
    const QByteArray line = cells.join(QLatin1Char(';')).toUtf8() + "\r\n";
    return m_device.write(line) == line.size();
}

QByteArray HistoryCsvWriter::header() {
    return "\xEF\xBB\xBF" + columns().join(QLatin1Char(';')).toUtf8() + "\r\n";
}

bool HistoryCsvWriter::writeHeader() {
    const QByteArray bytes = header();
    return m_device.write(bytes) == bytes.size();
}

QString historyCsvAppendProblem(const QString& path) {
    QFile file(path);
    if (!file.exists() || file.size() == 0)
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Kann \u201E%1\u201C nicht lesen: %2").arg(path, file.errorString());
    const QByteArray expected = HistoryCsvWriter::header();
    if (file.read(expected.size()) == expected)
        return {};
    return QStringLiteral("\u201E%1\u201C ist keine Werte-CSV mit den Spalten von Korvane; die "
                          "Datei bleibt unver\u00E4ndert. Bitte eine neue oder eine fr\u00FCher "
                          "so geschriebene Datei angeben.")
        .arg(path);
}

bool HistoryCsvWriter::writeRow(const LiveSample& sample) {
    return writeLine(cells(sample));
}

QStringList HistoryCsvWriter::minuteColumns() {
    const QStringList names = columns();
    QStringList result{names[0]};
    for (int c = 1; c <= kHistoryChannelCount; ++c) {
        // The CSV's columns: Zeit, then the channels (humidity after rain and alarm).
        const QString& name = names[c == kHistoryChannelCount ? 9 : c];
        result << name + QStringLiteral(" min") << name + QStringLiteral(" Mittel")
               << name + QStringLiteral(" max");
    }
    return result << names[7] << names[8];
}

QStringList HistoryCsvWriter::minuteCells(const AggregateRow& row) {
    QStringList cells{timeText(row.msecs)};
    for (int c = 0; c < kHistoryChannelCount; ++c) {
        const bool tenths = c == int(HistoryChannel::Inside) || c == int(HistoryChannel::Outside);
        const auto& v = row.values[c];
        cells << decimal(v.min, tenths ? 1 : 0) << decimal(v.mean, tenths ? 2 : 1)
              << decimal(v.max, tenths ? 1 : 0);
    }
    return cells << QString::number(row.rain ? 1 : 0) << QString::number(row.alarm ? 1 : 0);
}

bool HistoryCsvWriter::writeMinuteHeader() {
    return m_device.write("\xEF\xBB\xBF") == 3 && writeLine(minuteColumns());
}

bool HistoryCsvWriter::writeMinuteRow(const AggregateRow& row) {
    return writeLine(minuteCells(row));
}

bool saveHistoryCsv(const LiveHistory& history, const QString& path, QString* error, qint64 from,
                    qint64 to) {
    return saveCsv(path, error, [&](HistoryCsvWriter& writer, QString*) {
        bool ok = writer.writeHeader();
        for (int i = history.lowerBound(from); ok && i < history.size() && history.at(i).msecs < to;
             ++i)
            ok = writer.writeRow(history.at(i));
        return ok;
    });
}

bool saveStoredHistoryCsv(const QSqlDatabase& db, qint64 from, qint64 to, const QString& path,
                          QString* error) {
    return saveCsv(path, error, [&](HistoryCsvWriter& writer, QString* readError) {
        bool ok = writer.writeHeader();
        // Minutes up to the minute of the oldest sample, samples from there on:
        // no time appears twice.
        constexpr qint64 kMinute = 60 * 1000;
        const qint64 oldest = oldestStoredSample(db).value_or(to);
        const qint64 samplesFrom = std::clamp(oldest / kMinute * kMinute, from, to);
        ok =
            ok && forEachStoredMinute(
                      db, from, samplesFrom,
                      [&](const AggregateRow& row) { ok = ok && writer.writeRow(meanSample(row)); },
                      readError);
        ok = ok && forEachStoredSample(
                       db, samplesFrom, to,
                       [&](const LiveSample& s) { ok = ok && writer.writeRow(s); }, readError);
        return ok;
    });
}

bool saveStoredMinutesCsv(const QSqlDatabase& db, qint64 from, qint64 to, const QString& path,
                          QString* error) {
    return saveCsv(path, error, [&](HistoryCsvWriter& writer, QString* readError) {
        bool ok = writer.writeMinuteHeader();
        ok = ok && forEachStoredMinute(
                       db, from, to,
                       [&](const AggregateRow& row) { ok = ok && writer.writeMinuteRow(row); },
                       readError);
        return ok;
    });
}

} // namespace korvane
