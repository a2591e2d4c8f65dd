#pragma once

#include <QString>
#include <QTextStream>

namespace korvane::cli {

// `ports [--json]`: the serial ports the system has (device, description,
// manufacturer, serial number, its /dev/serial/by-id link), which COM n of
// the Korvane.ini at `iniPath` opens which device, and the line to add for an
// adapter that no COM n reaches. Exit 0.
int runPortsCommand(const QString& iniPath, bool json, QTextStream& out, QTextStream& err);

} // namespace korvane::cli
