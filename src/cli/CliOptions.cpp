#include "CliOptions.h"

#include "files/ProgramSettings.h"

#include <QRegularExpression>

namespace korvane::cli {

QString usageText() {
    return QStringLiteral(
        "Usage: korvane-cli [--port PORT] [--json] [--timeout SECONDS] COMMAND [ARGS]\n"
        "\n"
        "PORT is COM1 .. COM8 (mapped to a device by Korvane.ini in the working\n"
        "directory: a line COM<n>=<device>, else /dev/ttyS<n-1>) or a device path.\n"
        "Default COM1. SECONDS: how long to wait for the controller (default 5).\n"
        "\n"
        "Commands:\n"
        "  status                 model, version, date, time and live values\n"
        "  read FILE.vts          read every setting from the controller into FILE\n"
        "  send FILE.vts          load FILE and send every setting to the controller\n"
        "  logbook FILE.vlf       export the whole logbook to FILE\n"
        "  logbook --list         print the logbook entries\n"
        "  monitor [--csv FILE] [--duration S]\n"
        "                         one line per poll of the live values, or rows of a CSV\n"
        "                         file; for S seconds or until Ctrl-C; changes nothing\n"
        "\n"
        "Exit codes:\n"
        "  0  success\n"
        "  1  usage error\n"
        "  2  no answer from the controller, or the transfer failed\n"
        "  3  file error: FILE cannot be read or written, or is no whole settings file\n"
        "  4  serial port not found\n"
        "  5  serial port busy (in use by another program)\n"
        "  6  no permission to open the serial port (see the dialout group)\n"
        "  7  other input/output error of the serial port\n");
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
        if (a == QLatin1String("--port")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            o.port = *v;
        } else if (a == QLatin1String("--timeout")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            bool ok = false;
            o.timeoutSeconds = v->toInt(&ok);
            if (!ok || o.timeoutSeconds <= 0) {
                *error = QStringLiteral("--timeout needs a positive number of seconds");
                return std::nullopt;
            }
        } else if (a == QLatin1String("--csv")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            o.csvPath = *v;
        } else if (a == QLatin1String("--duration")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            bool ok = false;
            o.durationSeconds = v->toInt(&ok);
            if (!ok || o.durationSeconds <= 0) {
                *error = QStringLiteral("--duration needs a positive number of seconds");
                return std::nullopt;
            }
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
    const auto settings = ProgramSettings::load(ProgramSettings::kFileName, warning);
    return settings.deviceFor(m.captured(1).toInt());
}

} // namespace korvane::cli
