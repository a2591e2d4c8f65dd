#include "params/SwitchTimeTable.h"

namespace korvane {

bool SwitchTimeSlot::sameValues(const SwitchTimeSlot& other) const {
    return direction == other.direction && time == other.time && duration == other.duration &&
           group == other.group && function == other.function;
}

void SwitchTimeTable::setStartupDefaults() {
    m_slots.fill(SwitchTimeSlot{});
}

void SwitchTimeTable::resetForReadAll() {
    SwitchTimeSlot empty;
    empty.direction = kDirectionUp;
    empty.time = kNoTime;
    empty.duration = 0;
    empty.group = kGroupSingleDay;
    empty.function = kFunctionFixed;
    empty.changed = 0;
    m_slots.fill(empty);
}

void SwitchTimeTable::setAllChanged(bool changed) {
    for (SwitchTimeSlot& s : m_slots)
        s.changed = changed ? 1 : 0;
}

int SwitchTimeTable::changedCount() const {
    int n = 0;
    for (const SwitchTimeSlot& s : m_slots)
        n += s.changed != 0 ? 1 : 0;
    return n;
}

SwitchTimeSlot& SwitchTimeTable::at(int day, int motor, int slot) {
    Q_ASSERT(isValidSlotAddress(day, motor, slot));
    return m_slots[slotIndex(day, motor, slot)];
}

const SwitchTimeSlot& SwitchTimeTable::at(int day, int motor, int slot) const {
    Q_ASSERT(isValidSlotAddress(day, motor, slot));
    return m_slots[slotIndex(day, motor, slot)];
}

bool SwitchTimeTable::copyMotor(int from, int to) {
    if (from < 0 || from >= kSwitchMotors || to < 0 || to >= kSwitchMotors)
        return false;
    for (int d = 0; d < kSwitchDays; ++d) {
        for (int k = 0; k < kSlotsPerMotor; ++k) {
            const SwitchTimeSlot src = at(d, from, k);
            SwitchTimeSlot& dst = at(d, to, k);
            dst = src;
            dst.changed = 1;
        }
    }
    return true;
}

} // namespace korvane
