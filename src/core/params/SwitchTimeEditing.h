#pragma once

#include "params/SwitchTimeTexts.h"

#include <QtGlobal>
#include <optional>

namespace korvane {

class SwitchTimeTable;

// The values of the switch-time editor. A field without a selected item is
// empty; storing then leaves that field of each target slot as it is.
struct SwitchTimeEditorValues {
    std::optional<qint32> direction;
    std::optional<qint32> time;
    std::optional<qint32> duration;
    std::optional<qint32> function;
};

// Stores the editor values into slot (day, motor, slot) and keeps the day
// groups consistent across the week:
//  - the chosen group's days get the values, the group code and Changed;
//  - "-" makes the other days of the same half of the week (Mo-Fr or Sa-So)
//    single days, and turns whole-week members of the other half into members
//    of their half's group (7 -> 5 or 7 -> 2);
//  - "Mo - Fr" / "Sa - So" turn whole-week members of the other half into
//    members of that half's group;
//  - "Mo - So" stores into all seven days.
// A group code change without a store leaves Changed alone. Returns false and
// changes nothing for GroupChoice::None or an address outside the table.
bool storeSwitchTime(SwitchTimeTable& table, int day, int motor, int slot, GroupChoice group,
                     const SwitchTimeEditorValues& values);

// Sets Changed of one slot; false for an address outside the table.
bool markSlotChanged(SwitchTimeTable& table, int day, int motor, int slot);

} // namespace korvane
