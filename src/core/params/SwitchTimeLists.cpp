#include "params/SwitchTimeLists.h"

#include "params/MotorNames.h"
#include "params/SwitchTimeTable.h"
#include "params/SwitchTimeTexts.h"

#include <algorithm>

namespace korvane {

namespace {

// Rows per group including the separator that ends it.
int groupPitch(SwitchTimeListOrder order) {
    return order == SwitchTimeListOrder::ByDay ? kSwitchMotors + 1 : kSwitchDays + 1;
}

QString slotCell(const SwitchTimeSlot& slot) {
    QString cell = timeText(slot.time) + QLatin1Char(' ');
    if (slot.time == kNoTime)
        cell += QLatin1String("  |  ");
    else if (slot.direction == kDirectionUp)
        cell += QLatin1String("^ |  ");
    else
        cell += QLatin1String("v |  ");
    return cell;
}

} // namespace

int rowCount(SwitchTimeListOrder order) {
    return order == SwitchTimeListOrder::ByDay ? kDayListRows : kMotorListRows;
}

SwitchTimeRowPosition rowPosition(SwitchTimeListOrder order, int row) {
    const int pitch = groupPitch(order);
    SwitchTimeRowPosition pos;
    pos.separator = (row + 1) % pitch == 0;
    if (pos.separator)
        return pos;
    const int group = row / pitch;
    const int member = row % pitch;
    if (order == SwitchTimeListOrder::ByDay) {
        pos.day = group;
        pos.motor = member;
    } else {
        pos.motor = group;
        pos.day = member;
    }
    return pos;
}

int rowOf(SwitchTimeListOrder order, int day, int motor) {
    return order == SwitchTimeListOrder::ByDay ? day * groupPitch(order) + motor
                                               : motor * groupPitch(order) + day;
}

int dataRowForClick(SwitchTimeListOrder order, int row) {
    if (row < 0 || row >= rowCount(order))
        return -1;
    return rowPosition(order, row).separator ? row + 1 : row;
}

QString separatorRowText() {
    QString text = QString(28, QLatin1Char('-'));
    for (int i = 0; i < 6; ++i)
        text += QLatin1Char('+') + QString(10, QLatin1Char('-'));
    text += QLatin1Char('+') + QString(9, QLatin1Char('-'));
    return text;
}

QString dataRowText(const SwitchTimeTable& table, const MotorNames& names, int day, int motor) {
    QString text =
        (dayAbbreviation(day) + QLatin1String("  ") + MotorNames::nameCell(names.name(motor)));
    text += QLatin1String("    ");
    for (int k = 0; k < kSlotsPerMotor; ++k)
        text += slotCell(table.at(day, motor, k));
    return text;
}

QString rowText(SwitchTimeListOrder order, const SwitchTimeTable& table, const MotorNames& names,
                int row) {
    const SwitchTimeRowPosition pos = rowPosition(order, row);
    if (pos.separator)
        return separatorRowText();
    return dataRowText(table, names, pos.day, pos.motor);
}

QStringList buildRows(SwitchTimeListOrder order, const SwitchTimeTable& table,
                      const MotorNames& names) {
    QStringList rows;
    rows.reserve(rowCount(order));
    for (int r = 0; r < rowCount(order); ++r)
        rows << rowText(order, table, names, r);
    return rows;
}

QStringList startupRows(SwitchTimeListOrder order) {
    QStringList rows;
    for (int r = 0; r < rowCount(order); ++r) {
        const SwitchTimeRowPosition pos = rowPosition(order, r);
        if (pos.separator) {
            rows << QString(104, QLatin1Char('-'));
            continue;
        }
        QString text =
            dayAbbreviation(pos.day) + QLatin1String("  ") + MotorNames::defaultName(pos.motor);
        if (order == SwitchTimeListOrder::ByDay)
            text += QLatin1Char(' ');
        rows << text;
    }
    return rows;
}

QString readAllProgressText() {
    return QString(30, QLatin1Char(' ')) + QLatin1String("Lese Daten von Steuerung ...");
}

QString readAllProgressText(const QString& blockText) {
    return readAllProgressText() + QLatin1String("   ") + blockText;
}

int slotForCharacterColumn(int column) {
    // The "|" of slot k stands at column 28 + 11 k.
    const int firstBar = kSwitchRowSlotColumn + 8;
    if (column <= firstBar)
        return 0;
    const int slot = (column - firstBar - 1) / kSwitchRowCellWidth + 1;
    return std::min(slot, kSlotsPerMotor - 1);
}

} // namespace korvane
