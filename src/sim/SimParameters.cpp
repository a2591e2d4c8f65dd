#include "SimParameters.h"

#include "text/Cp1252.h"

#include <cstring>

namespace korvane {

namespace {

// Wire fields of each block after "profile, motor", with the factory values.
// Run-time codes: 1..99 s, 100..189 = (code - 90) x 10 s, 190 = 999 s, 191 = continuous.
constexpr SimField kOnOff{0, 1, 0};
constexpr SimField kUpDown{0, 1, 1}; // 1 = up
constexpr SimField kRun190{1, 190, 40};
constexpr SimField kRun191{1, 191, 40};

constexpr SimField kShading[] = {kOnOff,      {90, 135, 122},  {5, 21, 10},
                                 {6, 22, 20}, {100, 255, 244}, {1, 190, 10}};
constexpr SimField kTwilightMorning[] = {kOnOff, {3, 10, 8}, {1, 250, 110}, kRun191};
constexpr SimField kTwilightEvening[] = {kOnOff, {14, 23, 19}, {1, 250, 110}, kRun191};
constexpr SimField kWind[] = {kOnOff, {5, 95, 30}};
constexpr SimField kRain[] = {kOnOff, kUpDown};
constexpr SimField kReversing[] = {kOnOff, {0, 40, 4}, {0, 40, 6}};
constexpr SimField kKeyPress[] = {kOnOff, kRun190};
constexpr SimField kProportional[] = {kOnOff,  {0, 23, 10}, {0, 23, 22}, {101, 150, 123},
                                      kUpDown, {1, 9, 3},   kRun190,     {2, 9, 6}};
constexpr SimField kInside[] = {kOnOff,         {0, 1, 1}, {91, 150, 122}, kUpDown,
                                {91, 150, 120}, kRun191,   {0, 23, 8},     {0, 23, 21}};
constexpr SimField kHumidity[] = {kOnOff,  {0, 1, 1},  {1, 99, 76}, {1, 99, 66},
                                  kRun191, {0, 23, 8}, {0, 23, 21}};
constexpr SimField kOutside[] = {kOnOff, {91, 150, 102}, {0, 2, 0}, {91, 150, 105}, kRun191};

const SimBlockLayout kBlocks[] = {
    {"sbp", " rbp", SimNeeds::Outdoor, kShading},
    {"sdm", " rdm", SimNeeds::Outdoor, kTwilightMorning},
    {"sda", " rda", SimNeeds::Outdoor, kTwilightEvening},
    {"swp", " rwp", SimNeeds::Outdoor, kWind},
    {"srp", " rrp", SimNeeds::Outdoor, kRain},
    {"sjp", " rjp", SimNeeds::Outdoor, kReversing},
    {"sta", " rta ", SimNeeds::KeyPress, kKeyPress},
    {"spp", " rpp", SimNeeds::Conservatory, kProportional},
    {"sip", " rip", SimNeeds::Conservatory, kInside},
    {"sfp", " rfp", SimNeeds::Conservatory, kHumidity},
    {"sap", " rap", SimNeeds::Conservatory, kOutside},
};

const SimValueLayout kValues[] = {
    {"szz", " rzz", SimNeeds::Always, {2, 254, 30}},
    {"sbh", " rbh", SimNeeds::Outdoor, {2, 50, 10}},
    {"soa", " roa", SimNeeds::Outdoor, {95, 105, 100}},
    {"soi", " roi", SimNeeds::Conservatory, {95, 105, 100}},
    {"ssp", " rsp", SimNeeds::Conservatory, {0, 1, 0}},
};

constexpr SimField kAlarmChoice{0, 2, 1};

using SwitchField = SimParameters::SwitchField;
using enum SimParameters::SwitchField;
constexpr SimField kSwitchRanges[SimParameters::kSwitchFields] = {
    {0, 1, 1}, {0, 24, 24}, {0, 59, 0}, {1, 127, 40}, {1, 7, 1}, {0, 2, 0}};

bool inRange(const SimField& f, qint32 v) {
    return v >= f.min && v <= f.max;
}

bool fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}

QByteArray paddedName(QByteArray name) {
    name.truncate(SimParameters::kNameLength);
    while (name.size() < SimParameters::kNameLength)
        name.append(' ');
    return name;
}

} // namespace

QByteArray simValuesPayload(std::span<const qint32> values) {
    QByteArray out;
    for (qint32 v : values) {
        out.append(QByteArray::number(v));
        out.append(',');
    }
    return out;
}

std::span<const SimBlockLayout> SimParameters::blockLayouts() {
    return kBlocks;
}

std::span<const SimValueLayout> SimParameters::valueLayouts() {
    return kValues;
}

namespace {

// The entry of `table` whose `key` member names `wanted`, or null.
template <typename Layout, std::size_t N>
const Layout* findLayout(const Layout (&table)[N], const char* Layout::*key,
                         QByteArrayView wanted) {
    for (const Layout& entry : table) {
        if (wanted == entry.*key)
            return &entry;
    }
    return nullptr;
}

} // namespace

const SimBlockLayout* SimParameters::blockByRequest(QByteArrayView code) {
    return findLayout(kBlocks, &SimBlockLayout::request, code);
}

const SimBlockLayout* SimParameters::blockByWrite(QByteArrayView key) {
    return findLayout(kBlocks, &SimBlockLayout::writeKey, key);
}

const SimValueLayout* SimParameters::valueByRequest(QByteArrayView code) {
    return findLayout(kValues, &SimValueLayout::request, code);
}

const SimValueLayout* SimParameters::valueByWrite(QByteArrayView key) {
    return findLayout(kValues, &SimValueLayout::writeKey, key);
}

int SimParameters::blockIndex(const SimBlockLayout& layout) {
    return int(&layout - kBlocks);
}

int SimParameters::valueIndex(const SimValueLayout& layout) {
    return int(&layout - kValues);
}

const SimField& SimParameters::switchFieldRange(SwitchField field) {
    return kSwitchRanges[field];
}

const SimField& SimParameters::alarmChoiceRange() {
    return kAlarmChoice;
}

SimParameters::SimParameters() {
    for (const SimBlockLayout& layout : kBlocks) {
        std::array<std::array<Record, kMotors>, kProfiles> table{};
        for (auto& profile : table)
            for (Record& record : profile)
                for (size_t f = 0; f < layout.fields.size(); ++f)
                    record[f] = layout.fields[f].initial;
        table[0][0][0] = 1; // the factory switches motor 1 on in the standard profile
        m_blocks.append(table);
    }
    for (const SimValueLayout& layout : kValues)
        m_values.append(layout.field.initial);
    m_alarm.fill(kAlarmChoice.initial);

    for (int d = 0; d < kDays; ++d) {
        for (int m = 0; m < kMotors; ++m) {
            for (int s = 0; s < kSlots; ++s) {
                auto& slot = m_switch[d][m][s];
                for (int f = 0; f < kSwitchFields; ++f)
                    slot[f] = kSwitchRanges[f].initial;
            }
            // Up in the morning, down in the evening; later on weekends.
            auto& up = m_switch[d][m][0];
            up[Direction] = 1;
            up[Hour] = d < 5 ? 7 : 8;
            up[Minute] = d < 5 ? 0 : 30;
            auto& down = m_switch[d][m][1];
            down[Direction] = 0;
            down[Hour] = 20;
            down[Minute] = 30;
        }
    }
    for (int m = 0; m < kMotors; ++m)
        m_names[m] = paddedName("Motor " + QByteArray::number(m + 1));
}

QList<QByteArray> SimParameters::blockReplies(const SimBlockLayout& layout, int motors) const {
    QList<QByteArray> out;
    const auto& table = m_blocks[blockIndex(layout)];
    for (int p = 0; p < kProfiles; ++p) {
        for (int m = 0; m < motors; ++m) {
            QList<qint32> values{p, m + 1};
            for (size_t f = 0; f < layout.fields.size(); ++f)
                values.append(table[p][m][f]);
            qint32 sum = 0;
            for (qint32 v : values)
                sum += v;
            values.append(sum);
            out.append(simValuesPayload(values));
        }
    }
    return out;
}

QByteArray SimParameters::valueReply(const SimValueLayout& layout) const {
    const qint32 v = m_values[valueIndex(layout)];
    return simValuesPayload(std::span(&v, 1));
}

QList<QByteArray> SimParameters::alarmReplies(int motors) const {
    QList<QByteArray> out;
    for (int m = 0; m < motors; ++m) {
        const qint32 values[] = {m + 1, m_alarm[m]};
        out.append(simValuesPayload(values));
    }
    return out;
}

QList<QByteArray> SimParameters::nameReplies() const {
    QList<QByteArray> out;
    for (int m = 0; m < kMotors; ++m)
        out.append(QByteArray::number(m + 1) + ',' + m_names[m]);
    return out;
}

QList<QByteArray> SimParameters::switchTimeReplies(int motors, int slots) const {
    QList<QByteArray> out;
    for (int d = 0; d < kDays; ++d) {
        for (int m = 0; m < motors; ++m) {
            for (int s = 0; s < slots; ++s) {
                QList<qint32> values{d + 1, m + 1, s + 1};
                for (qint32 v : m_switch[d][m][s])
                    values.append(v);
                qint32 sum = 0;
                for (qint32 v : values)
                    sum += v;
                values.append(sum);
                out.append(simValuesPayload(values));
            }
        }
    }
    return out;
}

bool SimParameters::applyBlock(const SimBlockLayout& layout, const QList<qint32>& values,
                               int motors, QString* why) {
    const qsizetype n = qsizetype(layout.fields.size());
    if (values.size() != n + 3)
        return fail(why, QStringLiteral("wrong value count %1").arg(values.size()));
    const qint32 profile = values[0];
    const qint32 motor = values[1];
    if (profile < 0 || profile >= kProfiles)
        return fail(why, QStringLiteral("profile %1 out of range").arg(profile));
    if (motor < 1 || motor > motors)
        return fail(why, QStringLiteral("motor %1 out of range").arg(motor));
    for (qsizetype f = 0; f < n; ++f)
        if (!inRange(layout.fields[f], values[f + 2]))
            return fail(why, QStringLiteral("field %1 value %2 outside %3..%4")
                                 .arg(f + 3)
                                 .arg(values[f + 2])
                                 .arg(layout.fields[f].min)
                                 .arg(layout.fields[f].max));
    Record& record = m_blocks[blockIndex(layout)][profile][motor - 1];
    for (qsizetype f = 0; f < n; ++f)
        record[f] = values[f + 2];
    return true;
}

bool SimParameters::applyValue(const SimValueLayout& layout, const QList<qint32>& values,
                               QString* why) {
    if (values.size() != 2)
        return fail(why, QStringLiteral("wrong value count %1").arg(values.size()));
    if (!inRange(layout.field, values[0]))
        return fail(why, QStringLiteral("value %1 outside %2..%3")
                             .arg(values[0])
                             .arg(layout.field.min)
                             .arg(layout.field.max));
    m_values[valueIndex(layout)] = values[0];
    return true;
}

bool SimParameters::applyAlarm(const QList<qint32>& values, int motors, QString* why) {
    if (values.size() != 3)
        return fail(why, QStringLiteral("wrong value count %1").arg(values.size()));
    if (values[0] < 1 || values[0] > motors)
        return fail(why, QStringLiteral("motor %1 out of range").arg(values[0]));
    if (!inRange(kAlarmChoice, values[1]))
        return fail(why, QStringLiteral("choice %1 outside 0..2").arg(values[1]));
    m_alarm[values[0] - 1] = values[1];
    return true;
}

bool SimParameters::applySwitchTime(const QList<qint32>& values, int motors, int slots,
                                    QString* why) {
    if (values.size() != 3 + kSwitchFields + 1)
        return fail(why, QStringLiteral("wrong value count %1").arg(values.size()));
    const qint32 day = values[0], motor = values[1], slot = values[2];
    if (day < 1 || day > kDays || motor < 1 || motor > motors || slot < 1 || slot > slots)
        return fail(why,
                    QStringLiteral("address %1/%2/%3 out of range").arg(day).arg(motor).arg(slot));
    for (int f = 0; f < kSwitchFields; ++f)
        if (!inRange(kSwitchRanges[f], values[3 + f]))
            return fail(
                why,
                QStringLiteral("field %1 value %2 out of range").arg(4 + f).arg(values[3 + f]));
    const qint32 group = values[3 + Group];
    if (group != 1 && group != 2 && group != 5 && group != 7)
        return fail(why, QStringLiteral("group code %1 unknown").arg(group));
    auto& target = m_switch[day - 1][motor - 1][slot - 1];
    for (int f = 0; f < kSwitchFields; ++f)
        target[f] = values[3 + f];
    return true;
}

bool SimParameters::applyName(const QList<QByteArray>& fields, QString* why) {
    if (fields.size() != 3)
        return fail(why, QStringLiteral("wrong field count %1").arg(fields.size()));
    bool ok = false;
    const int motor = fields[0].toInt(&ok);
    if (!ok || motor < 1 || motor > kMotors)
        return fail(why,
                    QStringLiteral("motor '%1' out of range").arg(QString::fromLatin1(fields[0])));
    m_names[motor - 1] = paddedName(fields[1]);
    return true;
}

std::array<qint32, SimParameters::kMaxBlockFields>
SimParameters::block(const SimBlockLayout& layout, int profile, int motor) const {
    return m_blocks[blockIndex(layout)][profile][motor - 1];
}

qint32 SimParameters::value(const SimValueLayout& layout) const {
    return m_values[valueIndex(layout)];
}

std::array<qint32, SimParameters::kSwitchFields> SimParameters::switchTime(int day, int motor,
                                                                           int slot) const {
    return m_switch[day - 1][motor - 1][slot - 1];
}

QString SimParameters::name(int motor) const {
    return fromCp1252(m_names[motor - 1]);
}

} // namespace korvane
