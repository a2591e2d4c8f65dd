#include "params/SwitchTimeEditing.h"

#include "params/SwitchTimeTable.h"

namespace korvane {

namespace {

void storeValues(SwitchTimeSlot& s, qint32 group, const SwitchTimeEditorValues& v) {
    if (v.direction)
        s.direction = *v.direction;
    if (v.time)
        s.time = *v.time;
    if (v.duration)
        s.duration = *v.duration;
    if (v.function)
        s.function = *v.function;
    s.group = group;
    s.changed = 1;
}

// Whole-week members of the given half become members of that half's group.
void splitWholeWeek(SwitchTimeSlot& s, bool weekendHalf) {
    if (s.group == kGroupWholeWeek)
        s.group = weekendHalf ? kGroupWeekend : kGroupWorkdays;
}

} // namespace

bool storeSwitchTime(SwitchTimeTable& table, int day, int motor, int slot, GroupChoice group,
                     const SwitchTimeEditorValues& values) {
    if (group == GroupChoice::None || !isValidSlotAddress(day, motor, slot))
        return false;
    const bool editedWeekend = isWeekend(day);
    for (int d = 0; d < kSwitchDays; ++d) {
        SwitchTimeSlot& s = table.at(d, motor, slot);
        const bool sameHalf = isWeekend(d) == editedWeekend;
        switch (group) {
        case GroupChoice::SingleDay:
            if (d == day)
                storeValues(s, kGroupSingleDay, values);
            else if (sameHalf)
                s.group = kGroupSingleDay;
            else
                splitWholeWeek(s, isWeekend(d));
            break;
        case GroupChoice::Workdays:
            if (!isWeekend(d))
                storeValues(s, kGroupWorkdays, values);
            else
                splitWholeWeek(s, true);
            break;
        case GroupChoice::Weekend:
            if (isWeekend(d))
                storeValues(s, kGroupWeekend, values);
            else
                splitWholeWeek(s, false);
            break;
        case GroupChoice::WholeWeek:
            storeValues(s, kGroupWholeWeek, values);
            break;
        case GroupChoice::None:
            break;
        }
    }
    return true;
}

bool markSlotChanged(SwitchTimeTable& table, int day, int motor, int slot) {
    if (!isValidSlotAddress(day, motor, slot))
        return false;
    table.at(day, motor, slot).changed = 1;
    return true;
}

} // namespace korvane
