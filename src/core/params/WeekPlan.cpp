#include "params/WeekPlan.h"

#include "params/SwitchTimeTexts.h"

namespace korvane {

QList<WeekPlanMark> weekPlanMarks(const SwitchTimeTable& table, int motor) {
    QList<WeekPlanMark> marks;
    if (motor < 0 || motor >= kSwitchMotors)
        return marks;
    for (int day = 0; day < kSwitchDays; ++day) {
        for (int slot = 0; slot < kSlotsPerMotor; ++slot) {
            const SwitchTimeSlot& s = table.at(day, motor, slot);
            if (s.time < 1 || s.time > kLastTime)
                continue;
            marks.append({day, slot, s.time - 1, s.direction == kDirectionDown, s.duration, s.group,
                          s.function});
        }
    }
    return marks;
}

QString groupCodeText(qint32 group) {
    switch (group) {
    case kGroupWorkdays:
        return QStringLiteral("Mo - Fr");
    case kGroupWeekend:
        return QStringLiteral("Sa - So");
    case kGroupWholeWeek:
        return QStringLiteral("Mo - So");
    default:
        return QStringLiteral("-");
    }
}

QString weekPlanTip(const WeekPlanMark& m, int randomSpanMinutes) {
    QString tip =
        QStringLiteral("%1, Nr. %2: %3 %4, %5")
            .arg(dayAbbreviation(m.day))
            .arg(m.slot + 1)
            .arg(timeText(m.minute + 1), m.down ? QStringLiteral("ab") : QStringLiteral("auf"),
                 durationText(m.duration));
    if (m.group != kGroupSingleDay)
        tip += QStringLiteral(", ") + groupCodeText(m.group);
    if (m.function == kFunctionAstro)
        tip += QStringLiteral(", Astro");
    else if (m.function == kFunctionRandom)
        tip += QStringLiteral(", Zufall \u00B1 %1 min").arg(randomSpanMinutes);
    return tip;
}

} // namespace korvane
