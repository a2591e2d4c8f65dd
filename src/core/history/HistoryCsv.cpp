#include "history/HistoryCsv.h"

#include "history/LiveHistory.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace korvane {
namespace {

QString optionalTenths(qint16 tenths) {
    return tenths == LiveSample::kNoTemperature ? QString()
                                                : HistoryCsvWriter::decimalTenths(tenths);
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
    return {QDateTime::fromMSecsSinceEpoch(s.msecs).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
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

bool saveHistoryCsv(const LiveHistory& history, const QString& path, QString* error) {
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        HistoryCsvWriter writer(file);
        ok = writer.writeHeader();
        for (int i = 0; ok && i < history.size(); ++i)
            ok = writer.writeRow(history.at(i));
        ok = ok && file.commit();
    }
    if (!ok && error)
        *error = QStringLiteral("Kann %1 nicht schreiben: %2").arg(path, file.errorString());
    return ok;
}

} // namespace korvane
