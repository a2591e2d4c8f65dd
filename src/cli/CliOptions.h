#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvane::cli {

struct CliOptions {
    QString port = QStringLiteral("COM1"); // "COM3", "com 3", "3" or a device path
    bool json = false;
    double timeoutSeconds = 5; // in tenths: 0.1 .. 3600
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

// `--timeout`: seconds in tenths, "0.5" or "0,5", from 0.1 to 3600; nullopt otherwise.
std::optional<double> parseTimeout(const QString& text);
// Parses argv; on a usage error returns nullopt and sets *error.
std::optional<CliOptions> parseCliOptions(const QStringList& args, QString* error);
QString usageText();

// The n of a port named "COM<n>", "COM <n>" (in any case) or "<n>", whatever
// n is; nothing for anything else, which is a device path. parseCliOptions
// refuses an n outside 1 to 8.
std::optional<int> comPortNumber(const QString& port);
// COM n opens the device that Korvane.ini (in the working directory) maps it
// to; anything else is taken as a device path (relative to the working
// directory when it exists there, else as the serial port library reads it:
// "ttyUSB0" is /dev/ttyUSB0). What Korvane.ini held that was
// ignored goes to *warning.
QString resolveDevice(const QString& port, QString* warning);
// Korvane.ini's path (ProgramSettings::locate); says so in *note when it is
// not the working directory.
QString settingsPath(QString* note);
QString settingsFallbackNote(const QString& path);

} // namespace korvane::cli
