#pragma once

#include "protocol/ReplyValues.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvane {

class MotorNames;
class SwitchTimeTable;
struct SwitchTimeSlot;

// Wire blocks of the switch-time table and the motor names:
//   "sfs" reply: day, motor, slot, direction, hour, minute, duration, group,
//                function, check (each comma-terminated; 1-based addresses)
//   "smn" reply: motor digit, ",", name
//   " rfs" write: the same ten values, each followed by CR
//   " rmn" write: motor, CR, 12-character name, CR, the same name, CR

// Status texts.
QString sfsStatusText(int day);               // "Schaltzeiten Mo" .. ; empty outside 0 .. 6
QString sfsErrorText();                       // "Fehler Raumnamen" (panel 5)
QString smnStatusText();                      // "Motor-Namen"
QString sendSwitchTimeDayStatusText(int day); // "Tx Schaltzeiten Montag    " ..
QString sendMotorNamesStatusText();           // "Tx Motor-Namen"

inline constexpr int kRfsTxAmount = 28; // per slot examined, sent or not
inline constexpr int kRmnTxAmount = 22; // per name

struct SfsOutcome {
    bool stored = false;
    // Field 1 named a day 1 .. 7: the status and progress rows are updated.
    bool dayValid = false;
    QString dayAbbrev;  // "Mo" .. "So" when dayValid
    QString statusText; // panel 6: "Schaltzeiten " + dayAbbrev, when dayValid
    QString errorText;  // panel 5, empty when nothing went wrong
    // This record is the last of a read-all (day 7, motor MotorCount, slot
    // SlotsPerMotor); the read-all ends whether or not it was stored.
    bool endsReadAll = false;
};

// Decodes an "sfs" reply into the table. Stores nothing when the check value
// is wrong, when day, motor or slot lie outside 1..7, 1..8, 1..8, or when a
// value has no meaning in the table (hour outside 0..24, minute outside 0..59,
// duration outside 1..127, group not 1, 2, 5 or 7, function outside 0..2); the
// last two cases report the check-value error text. Changed is not touched.
SfsOutcome applySfsReply(SwitchTimeTable& table, const ReplyValues& values, int motorCount,
                         int slotsPerMotor);

struct SmnOutcome {
    bool stored = false;
    int motor = -1; // 0 .. 7 when stored
    QString name;
};

// Decodes an "smn" payload (Windows-1252) into the names. The name is kept as
// received, padding blanks included. A payload without "," keeps everything as
// the name; a first character that is not a digit 1 .. 8 stores nothing.
SmnOutcome applySmnReply(MotorNames& names, QByteArrayView payload);

// One " rfs" block for slot `slot` of motor `motor` on day `day` (0-based).
QByteArray encodeRfs(int day, int motor, int slot, const SwitchTimeSlot& s);

// One write of a send sequence: the bytes (empty when the position is only
// counted) and what it adds to TxCount.
struct WireWrite {
    QByteArray bytes;
    int txAmount = 0;
};

// `SendSwitchTimeDay`: the writes of one weekday (day 0 .. 6), one entry per
// slot position examined (motor 1 .. motorCount, slot 1 .. slotsPerMotor, each
// count limited to the table's 8). Slots with Changed are written; the last
// position is always marked Changed in the table first, so every day sends at
// least one block. Nothing is written for counts of 0 or less or an invalid day.
QList<WireWrite> sendSwitchTimeDay(SwitchTimeTable& table, int day, int motorCount,
                                   int slotsPerMotor);

// One " rmn" block for motor 0 .. 7.
QByteArray encodeRmn(int motor, const QString& name);
// `SendMotorNames`: always all eight names.
QList<WireWrite> sendMotorNames(const MotorNames& names);

} // namespace korvane
