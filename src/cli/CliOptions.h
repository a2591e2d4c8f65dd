#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvane::cli {

struct CliOptions {
    QString port = QStringLiteral("COM1"); // "COM3", "3" or a device path
    bool json = false;
    int timeoutSeconds = 5;
    QString command;
    QStringList arguments; // what follows the command
    bool list = false;     // logbook --list
    bool verify = false;   // send --verify
    bool portGiven = false;
    QString scope;           // diff --scope MODEL
    QString csvPath;         // monitor --csv
    int durationSeconds = 0; // monitor --duration; 0: until Ctrl-C
    QString dbPath;          // --db: the history database (monitor records, history reads)
    bool noHistory = false;  // --no-history: record nothing
    QString from, to;        // history --from, --to
    bool minutes = false;    // history --minutes
    QString thresholdsPath;  // history --thresholds
};

// Parses argv; on a usage error returns nullopt and sets *error.
std::optional<CliOptions> parseCliOptions(const QStringList& args, QString* error);
QString usageText();

// "COM3", "COM 3" or "3" name a port that Korvane.ini (in the working
// directory) maps to a device; anything else is taken as a device path.
// What Korvane.ini held that was ignored goes to *warning.
QString resolveDevice(const QString& port, QString* warning);
// Korvane.ini's path (ProgramSettings::locate); says so in *note when it is
// not the working directory.
QString settingsPath(QString* note);

} // namespace korvane::cli
