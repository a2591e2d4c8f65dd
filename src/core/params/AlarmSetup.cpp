#include "params/AlarmSetup.h"

namespace korvane {

AlarmSetup defaultAlarmSetup() {
    AlarmSetup a;
    a.fill(kAlarmDefaultChoice);
    return a;
}

QString alarmChoiceText(int choice) {
    switch (choice) {
    case 0:
        return QStringLiteral("é");
    case 1:
        return QStringLiteral("¡");
    case 2:
        return QStringLiteral("ê");
    default:
        return {};
    }
}

ReplyOutcome applyAlarmReply(AlarmSetup& alarm, const ReplyValues& values) {
    ReplyOutcome out;
    const qint32 motor = values[0];
    const qint32 choice = values[1];
    if (motor < 1 || motor > int(alarm.size()))
        return out;
    if (choice < 0 || choice >= kAlarmChoiceCount) {
        out.errorText = QStringLiteral("Fehler Alarm Setup");
        return out;
    }
    alarm[motor - 1] = choice;
    out.stored = true;
    out.motor = motor - 1;
    return out;
}

BlockSendResult encodeAlarmStep(const AlarmSetup& alarm, int motorCount) {
    BlockSendResult result;
    const int motors = qBound(1, motorCount, int(alarm.size()));
    for (int m = 1; m <= motors; ++m) {
        const qint32 choice = alarm[m - 1];
        result.writes.append(" ras" + QByteArray::number(m) + '\r' + QByteArray::number(choice) +
                             '\r' + QByteArray::number(choice + m) + '\r');
    }
    result.txAmount = kAlarmTxAmount;
    return result;
}

} // namespace korvane
