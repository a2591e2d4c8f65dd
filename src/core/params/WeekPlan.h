#pragma once

#include "params/SwitchTimeTable.h"

#include <QList>
#include <QString>

namespace korvane {

// One used switch-time slot of a motor as a mark in the drawing of its week.
struct WeekPlanMark {
    int day = 0;    // 0 .. 6, Monday .. Sunday
    int slot = 0;   // 0 .. 7
    int minute = 0; // minute of the day, 0 .. 1439
    bool down = false;
    qint32 duration = 0; // duration item index
    qint32 group = kGroupSingleDay;
    qint32 function = kFunctionFixed;

    friend bool operator==(const WeekPlanMark&, const WeekPlanMark&) = default;
};

// The slots of `motor` that have a time, day by day and slot by slot. A slot
// whose time is outside the editor's items is left out.
QList<WeekPlanMark> weekPlanMarks(const SwitchTimeTable& table, int motor);

// "-", "Mo - Fr", "Sa - So", "Mo - So" for a group code.
QString groupCodeText(qint32 group);

// What hovering over a mark says, e.g.
// "Mo, Nr. 2: 20:15 ab, 40s, Mo - Fr, Zufall ± 30 min".
QString weekPlanTip(const WeekPlanMark& mark, int randomSpanMinutes);

} // namespace korvane
