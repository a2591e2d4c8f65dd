#include "files/ProgramSettings.h"

#include "text/Cp1252.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace korvane {
namespace {

const QRegularExpression kMappingLine(QStringLiteral("^\\s*COM\\s*(\\d+)\\s*=\\s*(.*?)\\s*$"),
                                      QRegularExpression::CaseInsensitiveOption);

} // namespace

ProgramSettings ProgramSettings::load(const QString& path, QString* warning) {
    ProgramSettings settings;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return settings;
    QStringList lines = fromCp1252(file.readAll()).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    const QString first = lines.isEmpty() ? QString() : lines.takeFirst();
    bool ok = false;
    const int port = first.trimmed().toInt(&ok);
    if (ok && port >= 1 && port <= kPortCount) {
        settings.m_port = port;
    } else if (warning) {
        *warning = QStringLiteral("%1: \u201E%2\u201C ist keine Portnummer von 1 bis %3, "
                                  "COM 1 wird verwendet.")
                       .arg(kFileName, first)
                       .arg(kPortCount);
    }
    settings.m_otherLines = lines;
    return settings;
}

QString ProgramSettings::deviceFor(int port) const {
    for (const QString& line : m_otherLines) {
        const auto m = kMappingLine.match(line);
        if (m.hasMatch() && m.captured(1).toInt() == port && !m.captured(2).isEmpty())
            return m.captured(2);
    }
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

void ProgramSettings::setDevice(int port, const QString& device) {
    const QString line = QStringLiteral("COM%1=%2").arg(port).arg(device);
    for (QString& existing : m_otherLines) {
        const auto m = kMappingLine.match(existing);
        if (m.hasMatch() && m.captured(1).toInt() == port) {
            existing = line;
            return;
        }
    }
    m_otherLines.append(line);
}

bool ProgramSettings::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = QByteArray::number(m_port) + "\r\n";
    for (const QString& line : m_otherLines)
        bytes += toCp1252(line) + "\r\n";
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace korvane
