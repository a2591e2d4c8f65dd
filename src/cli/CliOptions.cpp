#include "CliOptions.h"

#include "files/ProgramSettings.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace korvane::cli {

QString usageText() {
    // Each command on a line of its own, its description indented below; the
    // manual page (packaging/korvane-cli.1) has the same command entries.
    return QStringLiteral(
        "Aufruf: korvane-cli [--port PORT] [--json] [--timeout SEKUNDEN] BEFEHL [ARGUMENTE]\n"
        "\n"
        "PORT ist COM1 bis COM8 (auch com1 oder \"COM 1\" geschrieben), der Pfad\n"
        "eines Ger\u00E4ts, z. B. /dev/ttyUSB0, oder tcp://HOST:PORT. COM n \u00F6ffnet das\n"
        "Ger\u00E4t, das eine Zeile COM<n>=<Ger\u00E4t> in Korvane.ini zuordnet, sonst\n"
        "/dev/ttyS<n-1>. Korvane.ini liegt im Arbeitsverzeichnis, oder in\n"
        "~/.config/Korvane/, wenn das Arbeitsverzeichnis nicht beschreibbar ist.\n"
        "Vorgabe: COM1.\n"
        "SEKUNDEN: wie lange die Steuerung schweigen darf: vor ihrer ersten Antwort\n"
        "und w\u00E4hrend eines Lesens oder einer Logbuch-\u00DCbertragung (Vorgabe 5;\n"
        "Zehntel erlaubt, z. B. 0.5). Ein Lesen fragt einmal nach, was nach einer\n"
        "Stille fehlt, und scheitert, wenn auch das SEKUNDEN lang unbeantwortet bleibt.\n"
        "\n"
        "Befehle:\n"
        "  status\n"
        "      Modell, Version, Datum, Uhrzeit und Messwerte der Steuerung.\n"
        "  read DATEI.vts\n"
        "      Alle Einstellungen aus der Steuerung lesen und in DATEI speichern.\n"
        "  send DATEI.vts\n"
        "      DATEI laden und alle Einstellungen zur Steuerung senden.\n"
        "  send --verify DATEI.vts\n"
        "      Ebenso, danach alles zur\u00FCcklesen und mit DATEI vergleichen.\n"
        "  diff A.vts B.vts\n"
        "      Die Unterschiede zweier Dateien, eine Zeile je Feld, der Wert aus A vor\n"
        "      dem Pfeil. Mit --scope MODELL nur, was ein Modell hat: der Modelltext,\n"
        "      wie status ihn zeigt, oder basic, sensor, sensor-key, conservatory.\n"
        "  diff DATEI.vts\n"
        "      Die Steuerung lesen (an ihr \u00E4ndert sich nichts) und die Unterschiede\n"
        "      zu DATEI zeigen, der Wert aus DATEI vor dem Pfeil.\n"
        "  ports\n"
        "      Die seriellen Schnittstellen, ihr COM n in Korvane.ini und die Zeile,\n"
        "      die einen Adapter ohne COM n zuordnet.\n"
        "  logbook DATEI.vlf\n"
        "      Das ganze Logbuch in DATEI speichern.\n"
        "  logbook --list\n"
        "      Die Eintr\u00E4ge des Logbuchs zeigen.\n"
        "  monitor [--csv DATEI] [--duration S] [--db DATEI] [--no-history]\n"
        "      Je Abfrage eine Zeile mit den Messwerten, oder mit --csv eine Zeile\n"
        "      mehr am Ende von DATEI; S Sekunden lang oder bis Strg+C. Mit --db wird\n"
        "      dabei der Verlauf in DATEI (SQLite) aufgezeichnet, --no-history\n"
        "      zeichnet nichts auf. \u00C4ndert nichts an der Steuerung.\n"
        "  history [--db DATEI] [--from DATUM] [--to DATUM] [--minutes] [--csv DATEI]\n"
        "          [--thresholds DATEI.vts]\n"
        "      Den aufgezeichneten Verlauf exportieren (ohne --db den des Programms:\n"
        "      ~/.local/share/Korvane/history.sqlite); DATUM: TT.MM.JJJJ oder\n"
        "      \"TT.MM.JJJJ hh:mm\". Mit --csv die Werte im CSV-Format des Programms\n"
        "      (mit --minutes je Minute Minimum, Mittel und Maximum), sonst je Tag\n"
        "      Minimum und Maximum jedes Werts, die Regenstunden und mit --thresholds\n"
        "      die Minuten \u00FCber der Windschwelle jedes Motors.\n"
        "\n"
        "R\u00FCckgabewerte:\n"
        "  0  Erfolg\n"
        "  1  Aufruf fehlerhaft\n"
        "  2  keine Antwort von der Steuerung, oder die \u00DCbertragung ist gescheitert\n"
        "  3  Dateifehler: DATEI kann nicht gelesen oder geschrieben werden, oder sie\n"
        "     ist keine vollst\u00E4ndige Einstellungsdatei (history: die\n"
        "     Verlaufsdatenbank fehlt, ist besch\u00E4digt oder nicht lesbar)\n"
        "  4  serielle Schnittstelle nicht gefunden\n"
        "  5  serielle Schnittstelle belegt (von einem anderen Programm)\n"
        "  6  keine Berechtigung f\u00FCr die serielle Schnittstelle (Gruppe dialout)\n"
        "  7  anderer Ein-/Ausgabefehler der seriellen Schnittstelle\n"
        "  8  Verbindung zur Steuerung verloren: die Schnittstelle ist w\u00E4hrend des\n"
        "     Befehls weggefallen (USB-Adapter abgezogen, Gegenseite aufgelegt)\n"
        "  9  send --verify: alles gesendet und quittiert, aber das R\u00FCcklesen f\u00FCr\n"
        "     die Pr\u00FCfung ist gescheitert\n"
        "  130, 143  durch Strg+C (SIGINT) oder SIGTERM vorzeitig beendet: Lesen,\n"
        "     Logbuch und diff sofort, ohne eine Datei zu schreiben; Senden am Ende des\n"
        "     Schritts auf der Leitung (monitor endet mit 0)\n"
        "diff endet wie diff(1): 0 gleich, 1 verschieden, 2 Fehler (jeder oben).\n"
        "send --verify endet mit 2, wenn die Steuerung nicht h\u00E4lt, was gesendet wurde.\n"
        "Ein vorzeitig beendetes Senden nennt den letzten Schritt, den die Steuerung\n"
        "quittiert hat: sie h\u00E4lt dann teils alte, teils neue Einstellungen; die Datei\n"
        "erneut senden.\n");
}

std::optional<double> parseTimeout(const QString& text) {
    // Tenths of a second, with a point or a comma: "5", "0.5", "2,5".
    static const QRegularExpression tenths(QStringLiteral("^([0-9]{1,4})(?:[.,]([0-9]))?$"));
    const auto m = tenths.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int value = m.captured(1).toInt() * 10 + m.captured(2).toInt();
    if (value < 1 || value > 36000)
        return std::nullopt;
    return value / 10.0;
}

std::optional<int> comPortNumber(const QString& port) {
    static const QRegularExpression comPort(QStringLiteral("^(?:COM\\s*)?(\\d{1,9})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto m = comPort.match(port.trimmed());
    return m.hasMatch() ? std::optional<int>(m.captured(1).toInt()) : std::nullopt;
}

std::optional<CliOptions> parseCliOptions(const QStringList& args, QString* error) {
    CliOptions o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](const QString& name) -> std::optional<QString> {
            if (i + 1 >= args.size()) {
                *error = name + QStringLiteral(" braucht einen Wert");
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
                *error = name + QStringLiteral(" braucht eine positive Zahl von Sekunden");
                return false;
            }
            return true;
        };
        if (a == QLatin1String("--port")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            if (v->trimmed().isEmpty()) {
                *error = QStringLiteral(
                    "--port braucht COM1 bis COM8, einen Ger\u00E4tepfad oder tcp://HOST:PORT");
                return std::nullopt;
            }
            o.port = *v;
            o.portGiven = true;
            const auto com = comPortNumber(o.port);
            if (com && (*com < 1 || *com > ProgramSettings::kPortCount)) {
                *error = QStringLiteral("--port %1: es gibt nur COM1 bis COM8; ein anderes "
                                        "Ger\u00E4t mit seinem Pfad angeben, z. B. /dev/ttyUSB0")
                             .arg(o.port);
                return std::nullopt;
            }
        } else if (a == QLatin1String("--scope")) {
            const auto v = value(a);
            if (!v)
                return std::nullopt;
            o.scope = *v;
        } else if (a == QLatin1String("--verify")) {
            o.verify = true;
        } else if (a == QLatin1String("--timeout")) {
            const auto v = value(a);
            const auto t = v ? parseTimeout(*v) : std::nullopt;
            if (!t) {
                if (v)
                    *error = a + QStringLiteral(" braucht eine Zahl von Sekunden von 0,1 bis 3600");
                return std::nullopt;
            }
            o.timeoutSeconds = *t;
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
            *error = QStringLiteral("unbekannte Option ") + a;
            return std::nullopt;
        } else if (o.command.isEmpty()) {
            o.command = a;
        } else {
            o.arguments << a;
        }
    }
    if (o.command.isEmpty()) {
        *error = QStringLiteral("kein Befehl angegeben");
        return std::nullopt;
    }
    // An argument a command does not take is refused, not ignored (diff
    // checks its one or two files itself).
    static const QHash<QString, int> mostArguments{
        {QStringLiteral("status"), 0},  {QStringLiteral("ports"), 0},
        {QStringLiteral("monitor"), 0}, {QStringLiteral("read"), 1},
        {QStringLiteral("send"), 1},    {QStringLiteral("logbook"), 1}};
    const auto most = mostArguments.constFind(o.command);
    if (most != mostArguments.cend() && o.arguments.size() > *most) {
        *error =
            QStringLiteral("%1 nimmt %2; \u00FCberz\u00E4hlig: %3")
                .arg(o.command,
                     *most == 0 ? QStringLiteral("kein Argument") : QStringLiteral("eine Datei"),
                     o.arguments.mid(*most).join(u' '));
        return std::nullopt;
    }
    return o;
}

QString resolveDevice(const QString& port, QString* warning) {
    const auto com = comPortNumber(port);
    // The serial port library reads a relative name as one below /dev; a
    // path that exists from the working directory means that path.
    if (!com)
        return QFileInfo::exists(port) ? QFileInfo(port).absoluteFilePath() : port;
    QString note;
    const auto settings = ProgramSettings::load(settingsPath(&note), warning);
    if (!note.isEmpty())
        *warning = note + (warning->isEmpty() ? QString() : u'\n' + *warning);
    return settings.deviceFor(*com);
}

QString settingsFallbackNote(const QString& path) {
    return QStringLiteral("Das Arbeitsverzeichnis ist nicht beschreibbar; es gilt %1.").arg(path);
}

QString settingsPath(QString* note) {
    const ProgramSettings::Location location = ProgramSettings::locate();
    if (location.fallback)
        *note = settingsFallbackNote(location.path);
    return location.path;
}

} // namespace korvane::cli
