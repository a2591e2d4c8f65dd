#include "params/SwitchTimeWire.h"

#include "params/MotorNames.h"
#include "params/SwitchTimeTable.h"
#include "params/SwitchTimeTexts.h"
#include "text/Cp1252.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace korvane {

namespace {

constexpr char kCr = '\r';

enum SfsField { Day, Motor, Slot, Direction, Hour, Minute, Duration, Group, Function, Check };
constexpr int kSfsDataCount = 9;

bool isGroupCode(qint32 g) {
    return g == kGroupSingleDay || g == kGroupWeekend || g == kGroupWorkdays ||
           g == kGroupWholeWeek;
}

bool sfsValuesInRange(const ReplyValues& v) {
    return v[Hour] >= 0 && v[Hour] <= 24 && v[Minute] >= 0 && v[Minute] <= 59 && v[Duration] >= 1 &&
           v[Duration] <= kDurationItemCount && isGroupCode(v[Group]) &&
           v[Function] >= kFunctionFixed && v[Function] <= kFunctionRandom;
}

// Writes the value's digits and the field's carriage return; returns the end.
char* appendValue(char* out, char* limit, qint64 value) {
    out = std::to_chars(out, limit, value).ptr;
    *out++ = kCr;
    return out;
}

} // namespace

QString sfsStatusText(int day) {
    const QString abbrev = dayAbbreviation(day);
    return abbrev.isEmpty() ? QString() : QStringLiteral("Schaltzeiten ") + abbrev;
}

QString sfsErrorText() {
    return QStringLiteral("Fehler Raumnamen");
}

QString smnStatusText() {
    return QStringLiteral("Motor-Namen");
}

QString sendSwitchTimeDayStatusText(int day) {
    return QStringLiteral("Tx Schaltzeiten ") + paddedWeekdayName(day);
}

QString sendMotorNamesStatusText() {
    return QStringLiteral("Tx Motor-Namen");
}

SfsOutcome applySfsReply(SwitchTimeTable& table, const ReplyValues& v, int motorCount,
                         int slotsPerMotor) {
    SfsOutcome out;
    const int day = v[Day] - 1;
    const int motor = v[Motor] - 1;
    const int slot = v[Slot] - 1;
    out.dayValid = day >= 0 && day < kSwitchDays;
    if (out.dayValid) {
        out.dayAbbrev = dayAbbreviation(day);
        out.statusText = sfsStatusText(day);
    }
    out.endsReadAll = v[Day] == kSwitchDays && v[Motor] == motorCount && v[Slot] == slotsPerMotor;

    if (!checkSumMatches(v, kSfsDataCount)) {
        out.errorText = sfsErrorText();
        return out;
    }
    if (!isValidSlotAddress(day, motor, slot))
        return out;
    if (!sfsValuesInRange(v)) {
        out.errorText = sfsErrorText();
        return out;
    }

    SwitchTimeSlot& s = table.at(day, motor, slot);
    s.direction = v[Direction] == 1 ? kDirectionUp : kDirectionDown;
    s.time = v[Hour] == 24 ? kNoTime : v[Hour] * 60 + v[Minute] + 1;
    s.duration = v[Duration] - 1;
    s.group = v[Group];
    s.function = v[Function];
    out.stored = true;
    return out;
}

SmnOutcome applySmnReply(MotorNames& names, QByteArrayView payload) {
    SmnOutcome out;
    if (payload.isEmpty())
        return out;
    const char digit = payload.at(0);
    if (digit < '1' || digit > '8')
        return out;
    const qsizetype comma = payload.indexOf(',');
    const QByteArrayView nameBytes = comma < 0 ? payload : payload.sliced(comma + 1);
    out.motor = digit - '1';
    out.name = fromCp1252(nameBytes);
    out.stored = names.setName(out.motor, out.name);
    return out;
}

QByteArray encodeRfs(int day, int motor, int slot, const SwitchTimeSlot& s) {
    int hour = 24;
    int minute = 0;
    if (s.time != kNoTime) {
        // Out-of-range times are sent the way the controller reads any time.
        hour = (s.time - 1) / 60;
        minute = (s.time - 1) - 60 * hour;
    }
    const qint64 fields[kSfsDataCount] = {day + 1,
                                          motor + 1,
                                          slot + 1,
                                          s.direction == kDirectionUp ? 1 : 0,
                                          hour,
                                          minute,
                                          qint64(s.duration) + 1,
                                          s.group,
                                          s.function};
    // " rfs", ten numbers of at most 20 characters, each with its carriage return.
    char buffer[4 + (kSfsDataCount + 1) * 21];
    char* const limit = std::end(buffer);
    char* out = std::copy_n(" rfs", 4, buffer);
    qint32 sum = 0;
    for (qint64 f : fields) {
        out = appendValue(out, limit, f);
        sum = qint32(quint32(sum) + quint32(f)); // plain 32-bit sum, wrapping
    }
    out = appendValue(out, limit, sum);
    return QByteArray(buffer, out - buffer);
}

QList<WireWrite> sendSwitchTimeDay(SwitchTimeTable& table, int day, int motorCount,
                                   int slotsPerMotor) {
    QList<WireWrite> writes;
    if (day < 0 || day >= kSwitchDays || motorCount <= 0 || slotsPerMotor <= 0)
        return writes;
    const int motors = std::min(motorCount, kSwitchMotors);
    const int slots = std::min(slotsPerMotor, kSlotsPerMotor);
    writes.reserve(motors * slots);
    table.at(day, motors - 1, slots - 1).changed = 1;
    for (int m = 0; m < motors; ++m) {
        for (int k = 0; k < slots; ++k) {
            const SwitchTimeSlot& s = table.at(day, m, k);
            WireWrite w;
            w.txAmount = kRfsTxAmount;
            if (s.changed != 0)
                w.bytes = encodeRfs(day, m, k, s);
            writes << w;
        }
    }
    return writes;
}

QByteArray encodeRmn(int motor, const QString& name) {
    const QByteArray cell = toCp1252(MotorNames::nameCell(name));
    QByteArray out(" rmn");
    out += QByteArray::number(motor + 1);
    out += kCr;
    out += cell;
    out += kCr;
    out += cell;
    out += kCr;
    return out;
}

QList<WireWrite> sendMotorNames(const MotorNames& names) {
    QList<WireWrite> writes;
    for (int m = 0; m < MotorNames::kCount; ++m)
        writes << WireWrite{encodeRmn(m, names.name(m)), kRmnTxAmount};
    return writes;
}

} // namespace korvane
