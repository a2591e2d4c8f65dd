#include "CliOptions.h"

#include "files/ProgramSettings.h"

#include <QRegularExpression>

namespace korvane::cli {

QString usageText() {
    return QStringLiteral(
        "Usage: korvane-cli [--port PORT] [--json] [--timeout SECONDS] COMMAND [ARGS]\n"
        "\n"
        "PORT is COM1 .. COM8 (mapped to a device by Korvane.ini in the working\n"
        "directory, or in ~/.config/Korvane/ when that is not writable: a line\n"
        "COM<n>=<device>, else /dev/ttyS<n-1>) or a device path.\n"
        "Default COM1. SECONDS: how long to wait for the controller (default 5).\n"
        "\n"
        "Commands:\n"
        "  status                 model, version, date, time and live values\n"
        "  read FILE.vts          read every setting from the controller into FILE\n"
        "  send FILE.vts          load FILE and send every setting to the controller\n"
        "  send --verify FILE.vts ... then read everything back and compare\n"
        "  diff A.vts B.vts       list what differs between two files, one line per\n"
        "                         field (A's value -> B's); --scope MODEL compares only\n"
        "                         what a model carries: its model text as `status`\n"
        "                         prints it, or basic, sensor, sensor-key, conservatory\n"
        "  diff FILE.vts          read the controller (changes nothing on it) and list\n"
        "                         what differs from FILE (FILE's value -> controller's)\n"
        "  ports                  serial ports, their COM n in Korvane.ini, the line\n"
        "                         to add for an unmapped adapter\n"
        "  logbook FILE.vlf       export the whole logbook to FILE\n"
        "  logbook --list         print the logbook entries\n"
        "  monitor [--csv FILE] [--duration S]\n"
        "                         one line per poll of the live values, or rows of a CSV\n"
        "                         file; for S seconds or until Ctrl-C; changes nothing\n"
        "  monitor --db DATEI     zeichnet dabei den Verlauf in DATEI auf (SQLite);\n"
        "                         --no-history zeichnet nichts auf\n"
        "  history [--db DATEI] [--from DATUM] [--to DATUM] [--minutes] [--csv DATEI]\n"
        "          [--thresholds DATEI.vts]\n"
        "                         exportiert den aufgezeichneten Verlauf (ohne --db der\n"
        "                         des Programms: ~/.local/share/Korvane/history.sqlite);\n"
        "                         DATUM: TT.MM.JJJJ oder \"TT.MM.JJJJ hh:mm\". Mit --csv\n"
        "                         die Werte im CSV-Format des Programms (mit --minutes\n"
        "                         je Minute Minimum, Mittel und Maximum), sonst je Tag\n"
        "                         Minimum und Maximum jedes Werts, die Regenstunden und\n"
        "                         mit --thresholds die Minuten \u00FCber der Windschwelle\n"
        "                         jedes Motors\n"
        "\n"
        "Exit codes:\n"
        "  0  success\n"
        "  1  usage error\n"
        "  2  no answer from the controller, or the transfer failed\n"
        "  3  file error: FILE cannot be read or written, or is no whole settings file\n"
        "     (history: the history database is missing, damaged or cannot be read)\n"
        "  4  serial port not found\n"
        "  5  serial port busy (in use by another program)\n"
        "  6  no permission to open the serial port (see the dialout group)\n"
        "  7  other input/output error of the serial port\n"
        "diff exits as diff(1): 0 equal, 1 different, 2 trouble (any error above).\n"
        "send --verify exits 2 when the controller does not hold what was sent.\n");
}

std::optional<CliOptions> parseCliOptions(const QStringList& args, QString* error) {
    CliOptions o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](const QString& name) -> std::optional<QString> {
            if (i + 1 >= args.size()) {
                *error = name + QStringLiteral(" needs a value");
                return std::nullopt;
            }
            return args[++i];
        };
        // A positive number of seconds for option `name`.
        auto seconds = [&](const QString& name, int& target) {
            const auto v = value(name);
            if (!v)
                return false;
            bool ok = false;
            target = v->toInt(&ok);
            if (!ok || target <= 0) {
                *error = name + QStringLiteral(" needs a positive number of seconds");
                return false;
            }
            return true;
        };
        if (a == QLatin1String("--port")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            o.port = *v;
            o.portGiven = true;
        } else if (a == QLatin1String("--scope")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            o.scope = *v;
        } else if (a == QLatin1String("--verify")) {
            o.verify = true;
        } else if (a == QLatin1String("--timeout")) {
            if (!seconds(a, o.timeoutSeconds))
                return std::nullopt;
        } else if (a == QLatin1String("--csv")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            o.csvPath = *v;
        } else if (a == QLatin1String("--duration")) {
            if (!seconds(a, o.durationSeconds))
                return std::nullopt;
        } else if (a == QLatin1String("--db") || a == QLatin1String("--from") ||
                   a == QLatin1String("--to") || a == QLatin1String("--thresholds")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            (a == QLatin1String("--db")     ? o.dbPath
             : a == QLatin1String("--from") ? o.from
             : a == QLatin1String("--to")   ? o.to
                                            : o.thresholdsPath) = *v;
        } else if (a == QLatin1String("--no-history")) {
            o.noHistory = true;
        } else if (a == QLatin1String("--minutes")) {
            o.minutes = true;
        } else if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--list")) {
            o.list = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("unknown option ") + a;
            return std::nullopt;
        } else if (o.command.isEmpty()) {
            o.command = a;
        } else {
            o.arguments << a;
        }
    }
    if (o.command.isEmpty()) {
        *error = QStringLiteral("no command given");
        return std::nullopt;
    }
    return o;
}

QString resolveDevice(const QString& port, QString* warning) {
    static const QRegularExpression comPort(QStringLiteral("^(?:COM\\s*)?([1-8])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto m = comPort.match(port.trimmed());
    if (!m.hasMatch())
        return port;
    QString note;
    const auto settings = ProgramSettings::load(settingsPath(&note), warning);
    if (!note.isEmpty())
        *warning = note + (warning->isEmpty() ? QString() : u'\n' + *warning);
    return settings.deviceFor(m.captured(1).toInt());
}

QString settingsPath(QString* note) {
    const ProgramSettings::Location location = ProgramSettings::locate();
    if (location.fallback)
        *note =
            QStringLiteral("the working directory is not writable; using %1").arg(location.path);
    return location.path;
}

} // namespace korvane::cli
