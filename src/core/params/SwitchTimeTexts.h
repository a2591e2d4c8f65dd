#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace korvane {

// Item texts of the switch-time editor drop-downs and the texts derived from
// them. A stored index is the item index, so these lists are the encodings.

// "Mo" .. "So" for day 0 .. 6; empty for any other day.
QString dayAbbreviation(int day);
QStringList dayAbbreviations();
// "Montag    ", "Dienstag  " .. "Sonntag   ": the weekday name padded to 10.
QString paddedWeekdayName(int day);

// Time item: "     " (five blanks) for 0, "HH:MM" for 1 .. 1440. A value
// outside 0 .. 1440 has no item; it is shown as "--:--" so that the list
// columns stay aligned.
QString timeText(qint32 time);
QStringList timeItems(); // 1441 items
// Hour and minute of a set time (1 .. 1440); false for no time or out of range.
bool timeToHourMinute(qint32 time, int* hour, int* minute);

// Duration item: "1s" .. "99s", "100", "110" .. "360", "Dau". Empty outside 0 .. 126.
QString durationText(qint32 duration);
QStringList durationItems(); // 127 items

// Direction items "é" (up) and "ê" (down), drawn as arrows in a symbol font.
QStringList directionItems();
// Function items "-", "Astro", "Zufall".
QStringList functionItems();
// Slot number items "1" .. "8" and a ninth " " that addresses no slot.
QStringList slotNumberItems();

// Group drop-down: its items depend on the day shown in the editor.
// Monday .. Friday: "-", "Mo - Fr", "Mo - So"; Saturday, Sunday: "-", "Sa - So", "Mo - So".
enum class GroupChoice { None, SingleDay, Workdays, Weekend, WholeWeek };
QStringList groupItems(int day);
GroupChoice groupChoiceFromText(const QString& text);
constexpr bool isWeekend(int day) {
    return day == 5 || day == 6;
}
// Item to select when the editor is loaded from a slot: 0 for group 1, 2 for
// group 7, 1 for any other code.
int groupItemForLoad(qint32 group);
// Item to select when a list row is clicked: the item that names `group` on
// that day, or -1 when the code does not belong to the day's list.
int groupItemForRowClick(int day, qint32 group);

} // namespace korvane
