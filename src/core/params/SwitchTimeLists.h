#pragma once

#include <QString>
#include <QStringList>

namespace korvane {

class MotorNames;
class SwitchTimeTable;

// The two read-only text views of the switch-time table: by day
// (`DatenListe_Tag`, 7 groups of 8 motors) and by motor (`DatenListe_Motor`,
// 8 groups of 7 days), with a separator row between the groups. Rows are
// fixed-pitch text; a data row is 108 characters:
//   day (2) + 2 blanks + name cell (12), cut to 16 | 4 blanks | 8 slot cells
//   of 11: "HH:MM" or 5 blanks, a blank, "^ |  " / "v |  " / "  |  ".
enum class SwitchTimeListOrder { ByDay, ByMotor };

inline constexpr int kDayListRows = 62;
inline constexpr int kMotorListRows = 63;
inline constexpr int kSwitchRowWidth = 108;
inline constexpr int kSwitchRowSlotColumn = 20; // first character of slot 0's cell
inline constexpr int kSwitchRowCellWidth = 11;
// Row of either list that shows the read-all progress.
inline constexpr int kProgressRow = 6;

int rowCount(SwitchTimeListOrder order);

// A row of a list: either a separator or the data row of one day and motor.
struct SwitchTimeRowPosition {
    bool separator = false;
    int day = 0;
    int motor = 0;
};
SwitchTimeRowPosition rowPosition(SwitchTimeListOrder order, int row);
int rowOf(SwitchTimeListOrder order, int day, int motor);
// The row a click on `row` addresses: a separator addresses the data row after
// it. -1 for a row outside the list.
int dataRowForClick(SwitchTimeListOrder order, int row);

// The 104-character separator row.
QString separatorRowText();
QString dataRowText(const SwitchTimeTable& table, const MotorNames& names, int day, int motor);
QString rowText(SwitchTimeListOrder order, const SwitchTimeTable& table, const MotorNames& names,
                int row);
// All rows of a list (`RebuildSwitchTimeLists` for one list).
QStringList buildRows(SwitchTimeListOrder order, const SwitchTimeTable& table,
                      const MotorNames& names);
// The rows a list shows at start-up before its first rebuild: the day, two
// blanks and the default motor name (plus one blank in the by-day list).
QStringList startupRows(SwitchTimeListOrder order);

// Read-all progress rows: the bare text while the lists are blanked, and the
// text with the block being read (e.g. "Schaltzeiten Mo").
QString readAllProgressText();
QString readAllProgressText(const QString& blockText);

// Which slot a character column of a data row belongs to. A slot's column runs
// from the blank after the previous "|" up to and including its own "|";
// columns left of slot 0 give 0, columns right of slot 7 give 7.
int slotForCharacterColumn(int column);

} // namespace korvane
