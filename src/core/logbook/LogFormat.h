#pragma once

#include "logbook/LogEntry.h"

#include <QList>
#include <QString>
#include <functional>

namespace korvane {

// The list on the logbook page and the export file word some causes
// differently.
enum class LogTextStyle { List, Export };

// Resolves a motor number (1 to 8) to its current name.
using MotorNameLookup = std::function<QString(int motor)>;

// Row text and export cause field of the controller's empty-log answer.
inline const QString kLogNoEntriesText = QStringLiteral("   Keine Logbucheinträge gespeichert");

// Column captions above the logbook list.
inline const QString kLogListCaption = QStringLiteral(
    "Nr.    Motor / Raum          Datum          Uhrzeit      Richtung       Ausgelöst durch    ");

// Character column at which each caption's field starts in a list row:
// number, motor, date, time, direction (the caption is wider than its
// one-character field and starts a little before it), cause.
inline const QList<int> kLogListColumns{0, 7, 20, 29, 36, 44};

// The captions as one fixed-pitch line over list rows printed as text: each
// caption over its field (the number's and the time's end with it, the
// direction's spans the arrow), one blank at least between two captions.
QString logListTextHeading();

// First line of a logbook export file.
inline const QString kLogExportHeader =
    QStringLiteral("Nr;Motor/Raum;Datum;Uhrzeit;Richtung;Ausgelöst durch");

// The cause text of `cause` (and, for cause 0, the switch-time `kind`). Codes
// the controller may add later get a text that names the code.
QString logCauseText(LogTextStyle style, int cause, int kind);

// The motor name of an entry: the looked-up name for motors 1 to 8, empty for
// any other motor number or when there is no lookup.
QString logMotorName(const LogEntry& entry, const MotorNameLookup& names);

// Displayed entry number: the newest entry (N = 1) gets the highest number.
qint64 logDisplayNumber(const LogEntry& entry, int logCount);

// One fixed-pitch row of the logbook list.
QString logListRow(const LogEntry& entry, int logCount, const QString& motorName);

// One line of the export file, without the line end.
QString logExportLine(const LogEntry& entry, int logCount, const QString& motorName);

} // namespace korvane
