#include "logbook/LogFormat.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace korvane {
namespace {

struct CauseTexts {
    const char* list;
    const char* exportText; // nullptr: same as the list text
};

// Causes 1 to 23; cause 0 depends on the switch-time kind.
constexpr std::array<CauseTexts, 24> kCauses{{
    {nullptr, nullptr},
    {"Beschattungs-Automatik", nullptr},
    {"Dämmerungs-Automatik", nullptr},
    {"Einfahren bei Wind", nullptr},
    {"Manuelle Auslösung des Motors an der Steuerung", nullptr},
    {"Abbruch durch Vorrang des Bedienschalters", nullptr},
    {"Einfahren bei Regen", nullptr},
    {"Innen-Temperatursteuerung", "Innentemperatur-Automatik"},
    {"Alarm bzw. Zentralschalter ausgelöst", "Alarmkontakt wurde ausgelöst"},
    {"Neustart nach Anlagen-Reset", nullptr},
    {"Außen-Temperatursteuerung", "Außentemperatur-Automatik"},
    {"Durch Außen-Temper.-Strg ist Motor de-aktiviert",
     "Durch AT-Steuerung ist Motor de-aktiviert"},
    {"Wegen Regen ist Motor de-aktiviert", nullptr},
    {"Wegen Wind ist Motor de-aktiviert", nullptr},
    {"Start der Proportionalen IT-Regelung", nullptr},
    {"Ende der Proportionalen IT-Regelung", nullptr},
    {"Proportionale IT-Regelung erreicht Max-Wert", nullptr},
    {"Re-Kallibrierung der Proportionalen IT-Regelung", nullptr},
    {"Umstellung MEZ -> MESZ, Astro-Zeiten angepasst", nullptr},
    {"Umstellung MESZ -> MEZ, Astro-Zeiten angepasst", nullptr},
    {"Alarm bzw. Zentralschalter aufgehoben", nullptr},
    {"Tast-Automatik ausgelöst", nullptr},
    {"Gruppen-Zentralsteuerung ausgelöst", nullptr},
    {"Luftfeuchtigkeits-Steuerung", nullptr},
}};

constexpr std::array<CauseTexts, 3> kSwitchTimeKinds{{
    {"Fest programmierte Schaltzeit", nullptr},
    {"Programmierte Schaltzeit mit Solarfunktion", "Programmierte Schaltzeit mit Astrofunktion"},
    {"Programmierte Schaltzeit mit Zufallsfunktion", nullptr},
}};

QString pick(const CauseTexts& t, LogTextStyle style) {
    const char* text = (style == LogTextStyle::Export && t.exportText) ? t.exportText : t.list;
    return QString::fromUtf8(text);
}

bool isAny(int cause, std::initializer_list<int> causes) {
    return std::find(causes.begin(), causes.end(), cause) != causes.end();
}

// Alarm and restart entries (and in the list the clock changes and the alarm
// release) belong to no motor.
bool hidesMotor(LogTextStyle style, int cause) {
    return style == LogTextStyle::List ? isAny(cause, {8, 9, 18, 19, 20}) : isAny(cause, {8, 9});
}

bool hidesDirection(LogTextStyle style, int cause) {
    return style == LogTextStyle::List ? isAny(cause, {5, 8, 9, 18, 19, 20}) : isAny(cause, {8, 9});
}

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

const QString kNoMotor(12, QLatin1Char(' '));

} // namespace

QString logCauseText(LogTextStyle style, int cause, int kind) {
    if (cause == 0) {
        if (kind >= 0 && kind < int(kSwitchTimeKinds.size()))
            return pick(kSwitchTimeKinds[kind], style);
        return QStringLiteral("Programmierte Schaltzeit (Art %1)").arg(kind);
    }
    if (cause > 0 && cause < int(kCauses.size()))
        return pick(kCauses[cause], style);
    return QStringLiteral("Unbekannter Auslöser (Code %1)").arg(cause);
}

QString logMotorName(const LogEntry& entry, const MotorNameLookup& names) {
    if (entry.motor < 1 || entry.motor > 8 || !names)
        return QString();
    return names(entry.motor);
}

qint64 logDisplayNumber(const LogEntry& entry, int logCount) {
    return qint64(logCount) - entry.number + 1;
}

QString logListRow(const LogEntry& e, int logCount, const QString& motorName) {
    if (e.isNoEntriesMarker())
        return kLogNoEntriesText;
    const LogTextStyle style = LogTextStyle::List;
    QString row;
    row.reserve(100);
    // Five columns hold up to 99999, so four-digit numbers stay aligned too.
    row += QString::number(logDisplayNumber(e, logCount)).rightJustified(5, QLatin1Char(' '));
    row += QStringLiteral("  ");
    row +=
        hidesMotor(style, e.cause) ? kNoMotor : motorName.leftJustified(12, QLatin1Char(' '), true);
    row += QLatin1Char(' ');
    row += twoDigits(e.day) + QLatin1Char('.');
    row += twoDigits(e.month) + QStringLiteral(".   ");
    row += twoDigits(e.hour) + QLatin1Char(':');
    row += twoDigits(e.minute) + QStringLiteral("    ");
    if (hidesDirection(style, e.cause))
        row += QString(6, QLatin1Char(' '));
    else
        row += e.isUp() ? QStringLiteral("^     ") : QStringLiteral("v     ");
    row += logCauseText(style, e.cause, e.kind);
    return row;
}

QString logListTextHeading() {
    // Caption and the character column it starts at: "Nr." ends with the
    // five-column number, "Uhrzeit" with the time at 29..33, "Richtung"
    // covers the arrow at 38, the cause starts at 44 like its text.
    const std::pair<QString, int> captions[] = {
        {QStringLiteral("Nr."), 2},       {QStringLiteral("Motor / Raum"), 7},
        {QStringLiteral("Datum"), 20},    {QStringLiteral("Uhrzeit"), 27},
        {QStringLiteral("Richtung"), 35}, {QStringLiteral("Ausgel\u00F6st durch"), 44}};
    QString line;
    for (const auto& [caption, column] : captions)
        line = line.leftJustified(column, QLatin1Char(' ')) + caption;
    return line;
}

QString logExportLine(const LogEntry& e, int logCount, const QString& motorName) {
    const LogTextStyle style = LogTextStyle::Export;
    const QChar sep = QLatin1Char(';');
    QString line = QString::number(logDisplayNumber(e, logCount));
    line += sep;
    line += hidesMotor(style, e.cause) ? kNoMotor : motorName;
    line += sep;
    line += twoDigits(e.day) + QLatin1Char('.') + twoDigits(e.month) + QLatin1Char('.');
    line += sep;
    line += twoDigits(e.hour) + QLatin1Char(':') + twoDigits(e.minute);
    line += sep;
    if (hidesDirection(style, e.cause))
        line += QLatin1Char(' ');
    else
        line += e.isUp() ? QLatin1Char('^') : QLatin1Char('v');
    line += sep;
    line += e.isNoEntriesMarker() ? kLogNoEntriesText : logCauseText(style, e.cause, e.kind);
    return line;
}

} // namespace korvane
