#include "files/ProgramSettings.h"

#include "files/FileAccess.h"

#include "text/Cp1252.h"
#include "text/EchoText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace korvane {
namespace {

const QRegularExpression kMappingLine(QStringLiteral("^\\s*COM\\s*(\\d+)\\s*=\\s*(.*?)\\s*$"),
                                      QRegularExpression::CaseInsensitiveOption);

} // namespace

ProgramSettings ProgramSettings::load(const QString& path, QString* warning) {
    if (fileIsMissing(path))
        return ProgramSettings();
    // A few lines; only a regular file is read, so a FIFO cannot stop the start.
    const FileContent content = readRegularFile(path, 1024 * 1024);
    if (!content.ok()) {
        if (warning)
            *warning = content.problem + QStringLiteral(" COM 1 wird verwendet.");
        return ProgramSettings();
    }
    return fromBytes(content.bytes, warning);
}

ProgramSettings ProgramSettings::fromBytes(QByteArrayView bytes, QString* warning) {
    ProgramSettings settings;
    // CR LF, LF and CR alone all end a line.
    QString text = fromCp1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();

    QStringList ignored;
    int firstLineNumber = 2; // of lines[0]: line 1 is taken off unless it maps
    const QString first = lines.isEmpty() ? QString() : lines.takeFirst();
    bool ok = false;
    const int port = first.trimmed().toInt(&ok);
    if (ok && port >= 1 && port <= kPortCount) {
        settings.m_port = port;
    } else {
        ignored << QStringLiteral("\u201E%1\u201C in Zeile 1 ist keine Portnummer von 1 bis %2, "
                                  "COM 1 wird verwendet.")
                       .arg(echoText(first))
                       .arg(kPortCount);
        // A device mapping where the port number belongs still maps.
        if (kMappingLine.match(first).hasMatch()) {
            lines.prepend(first);
            firstLineNumber = 1;
        }
    }
    QMap<int, int> winner; // port -> index of the mapping line that counts
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.trimmed().isEmpty())
            continue;
        const auto m = kMappingLine.match(line);
        const int mapped = m.hasMatch() ? m.captured(1).toInt() : 0;
        if (mapped < 1 || mapped > kPortCount || m.captured(2).isEmpty()) {
            ignored << QStringLiteral("\u201E%1\u201C wird ignoriert: keine Zuordnung "
                                      "COM<1..%2>=<Ger\u00E4t>.")
                           .arg(echoText(line))
                           .arg(kPortCount);
        } else if (const auto w = winner.constFind(mapped); w != winner.cend()) {
            // The first mapping of a port counts (mappedDevice).
            ignored << QStringLiteral("\u201E%1\u201C in Zeile %2 wird ignoriert: COM %3 ist "
                                      "schon in Zeile %4 zugeordnet, \u201E%5\u201C gilt.")
                           .arg(line, QString::number(i + firstLineNumber), QString::number(mapped),
                                QString::number(*w + firstLineNumber), lines.at(*w));
        } else {
            winner.insert(mapped, i);
        }
    }
    if (warning && !ignored.isEmpty())
        *warning = kFileName + QStringLiteral(": ") + ignored.join(QLatin1Char('\n'));
    settings.m_otherLines = lines;
    return settings;
}

ProgramSettings::Location ProgramSettings::locate() {
    const QFileInfo here(kFileName);
    if (here.exists() || QFileInfo(QDir::currentPath()).isWritable())
        return {kFileName, false};
    // One folder for the window and korvane-cli alike, whatever the program's name.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/Korvane");
    QDir().mkpath(folder);
    return {QDir(folder).filePath(kFileName), true};
}

QString ProgramSettings::mappedDevice(int port) const {
    for (const QString& line : m_otherLines) {
        const auto m = kMappingLine.match(line);
        if (m.hasMatch() && m.captured(1).toInt() == port && !m.captured(2).isEmpty())
            return m.captured(2);
    }
    return QString();
}

QString ProgramSettings::deviceFor(int port) const {
    const QString mapped = mappedDevice(port);
    return mapped.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(port - 1) : mapped;
}

QList<int> ProgramSettings::freePorts(const QStringList& systemPorts) const {
    QList<int> free;
    for (int n = 1; n <= kPortCount; ++n) {
        if (mappedDevice(n).isEmpty() && !systemPorts.contains(deviceFor(n)))
            free << n;
    }
    return free;
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
    const QByteArray bytes = toBytes();
    return file.write(bytes) == bytes.size() && file.commit();
}

QByteArray ProgramSettings::toBytes() const {
    QByteArray bytes = QByteArray::number(m_port) + "\r\n";
    for (const QString& line : m_otherLines)
        bytes += toCp1252(line) + "\r\n";
    return bytes;
}

} // namespace korvane
