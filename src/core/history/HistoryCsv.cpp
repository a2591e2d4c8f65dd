#include "history/HistoryCsv.h"

#include "history/LiveHistory.h"

#include <QDateTime>
#include <QIODevice>
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
    const auto humidity = s.humidityPercent();
    return {QDateTime::fromMSecsSinceEpoch(s.msecs).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
            QString::number(s.luxNow),
            QString::number(s.luxMean),
            optionalTenths(s.insideTenths),
            optionalTenths(s.outsideTenths),
            QString::number(s.wind),
            QString::number(s.windMax),
            QString::number(s.rain() ? 1 : 0),
            QString::number(s.alarm() ? 1 : 0),
            humidity ? QString::number(*humidity) : QString()};
}

bool HistoryCsvWriter::writeLine(const QStringList& cells) {
    const QByteArray line = cells.join(QLatin1Char(';')).toUtf8() + "\r\n";
    return m_device.write(line) == line.size();
}

bool HistoryCsvWriter::writeHeader() {
    return m_device.write("\xEF\xBB\xBF") == 3 && writeLine(columns());
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
