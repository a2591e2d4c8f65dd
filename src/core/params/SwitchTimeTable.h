#pragma once

#include "params/ChangedEvent.h"

#include <QtGlobal>
#include <array>

namespace korvane {

// Weekly switch-time plan: 7 days x 8 motors x 8 slots. Every field except
// `changed` is the item index of the matching switch-time editor drop-down.
inline constexpr int kSwitchDays = 7;
inline constexpr int kSwitchMotors = 8;
inline constexpr int kSlotsPerMotor = 8;
inline constexpr int kSwitchTimeSlotCount = kSwitchDays * kSwitchMotors * kSlotsPerMotor; // 448

// Time index: 0 = no time, k = 1 .. 1440 = minute k - 1 of the day.
inline constexpr qint32 kNoTime = 0;
inline constexpr qint32 kLastTime = 1440;
// Duration index 0 .. 126 ("1s" .. "Dau"); 39 is "40s".
inline constexpr qint32 kDurationItemCount = 127;
inline constexpr qint32 kDefaultDuration = 39;

// Direction index.
inline constexpr qint32 kDirectionUp = 0;
inline constexpr qint32 kDirectionDown = 1;

// Group codes as stored in the slot and sent on the wire.
inline constexpr qint32 kGroupSingleDay = 1;
inline constexpr qint32 kGroupWeekend = 2;  // Saturday and Sunday
inline constexpr qint32 kGroupWorkdays = 5; // Monday to Friday
inline constexpr qint32 kGroupWholeWeek = 7;

// Function codes.
inline constexpr qint32 kFunctionFixed = 0;
inline constexpr qint32 kFunctionAstro = 1;
inline constexpr qint32 kFunctionRandom = 2;

struct SwitchTimeSlot {
    qint32 direction = kDirectionUp;
    qint32 time = kNoTime;
    qint32 duration = kDefaultDuration;
    qint32 group = kGroupSingleDay;
    qint32 function = kFunctionFixed;
    qint32 changed = 1;

    // True when direction, time, duration, group and function are equal
    // (the Changed flag is not compared).
    bool sameValues(const SwitchTimeSlot& other) const;
    friend bool operator==(const SwitchTimeSlot&, const SwitchTimeSlot&) = default;
};

// day 0 .. 6 (Monday .. Sunday), motor 0 .. 7, slot 0 .. 7.
constexpr int slotIndex(int day, int motor, int slot) {
    return day * kSwitchMotors * kSlotsPerMotor + motor * kSlotsPerMotor + slot;
}
constexpr bool isValidSlotAddress(int day, int motor, int slot) {
    return day >= 0 && day < kSwitchDays && motor >= 0 && motor < kSwitchMotors && slot >= 0 &&
           slot < kSlotsPerMotor;
}

class SwitchTimeTable {
public:
    // Start-up state: every slot up, no time, "40s", single day, fixed, Changed.
    SwitchTimeTable() { setStartupDefaults(); }

    void setStartupDefaults();
    // Before a read-all: every field 0 except group 1 (Changed 0 too), so that
    // slots the controller does not send stay empty.
    void resetForReadAll();

    void setAllChanged(bool changed);
    int changedCount() const;

    // Asserted access by 0-based address; use isValidSlotAddress() first for
    // addresses that come from outside.
    SwitchTimeSlot& at(int day, int motor, int slot);
    const SwitchTimeSlot& at(int day, int motor, int slot) const;
    SwitchTimeSlot& operator[](int index) { return m_slots[index]; }
    const SwitchTimeSlot& operator[](int index) const { return m_slots[index]; }

    const std::array<SwitchTimeSlot, kSwitchTimeSlotCount>& slots() const { return m_slots; }

    // Copies direction, time, duration, group and function of every day and
    // slot of motor `from` onto motor `to` and marks all 56 target slots
    // Changed. Returns false (and does nothing) when a motor is out of range.
    bool copyMotor(int from, int to);

    friend bool operator==(const SwitchTimeTable&, const SwitchTimeTable&) = default;

private:
    std::array<SwitchTimeSlot, kSwitchTimeSlotCount> m_slots{};
};

} // namespace korvane
