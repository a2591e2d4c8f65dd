#pragma once

#include "blocks/BlockCodec.h"

#include <array>

namespace korvane {

// The reaction of each motor to the alarm input, entry i for motor i + 1:
// 0 up ("é"), 1 neither ("¡"), 2 down ("ê"). No profiles, no Changed flag:
// all entries are always sent.
using AlarmSetup = std::array<qint32, 8>;

inline constexpr int kAlarmChoiceCount = 3;
inline constexpr qint32 kAlarmDefaultChoice = 1;

AlarmSetup defaultAlarmSetup();

// Items of the AS_1 .. AS_8 lists, Wingdings symbols.
QString alarmChoiceText(int choice);

// "sas" reply: motor 1..8, choice. Another motor number is ignored (no error
// text); a choice outside 0..2 is refused with "Fehler Alarm Setup".
ReplyOutcome applyAlarmReply(AlarmSetup& alarm, const ReplyValues& values);

// The " ras" send-all step: one write per motor 1..motorCount (clamped to
// 1..8): motor, choice and their sum, each followed by CR. TxCount 11 once.
BlockSendResult encodeAlarmStep(const AlarmSetup& alarm, int motorCount);

inline constexpr QStringView kAlarmReadingText = u"Alarm Setup";
inline constexpr QStringView kAlarmSendingText = u"Tx Alarm-Setup";
inline constexpr int kAlarmTxAmount = 11;

} // namespace korvane
