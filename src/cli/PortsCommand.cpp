#include "PortsCommand.h"

#include "files/ProgramSettings.h"
#include "serial/TcpLink.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>

namespace korvane::cli {
namespace {

// Where the system keeps stable names of USB serial adapters.
const QString kByIdFolder = QStringLiteral("/dev/serial/by-id");

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

QString byIdLink(const QString& device) {
    const QDir folder(kByIdFolder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::System)) {
        const QString link = folder.filePath(name);
        if (canonical(link) == canonical(device))
            return link;
    }
    return QString();
}

struct Mapping {
    int port;
    QString device;
    bool explicitLine; // a COM<n>= line names it; else the /dev/ttyS default
    bool present;
    bool network; // tcp://host:port: a serial server, not a device here
};

} // namespace

int runPortsCommand(const QString& iniPath, bool json, QTextStream& out, QTextStream& err) {
    QString warning;
    const ProgramSettings settings = ProgramSettings::load(iniPath, &warning);
    if (!warning.isEmpty())
        err << "korvane-cli: " << warning << '\n';

    QList<Mapping> mappings;
    for (int n = 1; n <= ProgramSettings::kPortCount; ++n) {
        const QString device = settings.deviceFor(n);
        mappings.append({n, device, !settings.mappedDevice(n).isEmpty(), QFileInfo::exists(device),
                         TcpLink::isNetworkPort(device)});
    }
    const auto comFor = [&](const QString& device) {
        for (const Mapping& m : mappings) {
            if (m.present && canonical(m.device) == canonical(device))
                return m.port;
        }
        return 0;
    };
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    // A suggested line must take effect: only a COM n that no line maps yet
    // (the first mapping of a port counts), and not one whose /dev/ttyS
    // device is one of the system's ports.
    QStringList systemPorts;
    for (const QSerialPortInfo& info : ports)
        systemPorts << info.systemLocation();
    QList<int> freePorts = settings.freePorts(systemPorts);

    QJsonArray portArray;
    QStringList suggestions;
    bool unreached = false; // an adapter no COM n reaches and none is free for
    QString text = QStringLiteral("Serielle Schnittstellen:\n");
    if (ports.isEmpty())
        text += QStringLiteral("  keine gefunden\n");
    for (const QSerialPortInfo& info : ports) {
        const QString device = info.systemLocation();
        const QString link = byIdLink(device);
        const int com = comFor(device);
        QString suggestion;
        if (com == 0 && !freePorts.isEmpty()) {
            suggestion = QStringLiteral("COM%1=%2")
                             .arg(freePorts.takeFirst())
                             .arg(link.isEmpty() ? device : link);
            suggestions << suggestion;
        } else if (com == 0) {
            unreached = true;
        }
        portArray.append(QJsonObject{{"device", device},
                                     {"description", info.description()},
                                     {"manufacturer", info.manufacturer()},
                                     {"serialNumber", info.serialNumber()},
                                     {"byId", link},
                                     {"com", com},
                                     {"iniLine", suggestion}});
        QStringList details{info.description(), info.manufacturer()};
        if (!info.serialNumber().isEmpty())
            details << QStringLiteral("Seriennummer ") + info.serialNumber();
        details.removeAll(QString());
        text += QStringLiteral("  %1  %2\n").arg(device, details.join(QStringLiteral(", ")));
        if (!link.isEmpty())
            text += QStringLiteral("      fester Name: %1\n").arg(link);
        text += com != 0 ? QStringLiteral("      in Korvane.ini: COM %1\n").arg(com)
                         : QStringLiteral("      in Korvane.ini: keinem COM zugeordnet\n");
    }

    QJsonArray comArray;
    text += QStringLiteral("\nKorvane.ini (%1):\n").arg(QFileInfo(iniPath).absoluteFilePath());
    for (const Mapping& m : mappings) {
        const QString resolved = canonical(m.device);
        comArray.append(QJsonObject{{"com", m.port},
                                    {"device", m.device},
                                    {"resolved", m.present ? resolved : QString()},
                                    {"mapped", m.explicitLine},
                                    {"present", m.present},
                                    {"network", m.network}});
        text += QStringLiteral("  COM %1 \u2192 %2%3%4\n")
                    .arg(m.port)
                    .arg(m.device)
                    .arg(m.present && resolved != m.device ? QStringLiteral(" (") + resolved + u')'
                                                           : QString())
                    .arg(m.present   ? QString()
                         : m.network ? QStringLiteral(" \u2013 serieller Server im Netzwerk")
                                     : QStringLiteral(" \u2013 nicht vorhanden"));
    }
    if (!suggestions.isEmpty()) {
        text += QStringLiteral("\nF\u00FCr einen Adapter ohne COM diese Zeile in Korvane.ini "
                               "aufnehmen:\n");
        for (const QString& line : suggestions)
            text += QStringLiteral("  ") + line + u'\n';
    }
    if (unreached)
        text += QStringLiteral("\nJedes COM 1 bis 8 ist schon zugeordnet: f\u00FCr einen weiteren "
                               "Adapter eine Zeile in Korvane.ini \u00E4ndern.\n");

    if (json) {
        const QJsonObject root{{"ports", portArray},
                               {"ini", QFileInfo(iniPath).absoluteFilePath()},
                               {"com", comArray}};
        out << QJsonDocument(root).toJson(QJsonDocument::Indented);
    } else {
        out << text;
    }
    return 0;
}

} // namespace korvane::cli
