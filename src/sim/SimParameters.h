#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <span>

namespace korvane {

// Which controllers have a block.
enum class SimNeeds { Always, Outdoor, Conservatory, KeyPress };

// Range and factory value of one wire field.
struct SimField {
    qint32 min;
    qint32 max;
    qint32 initial;
};

// A per-motor block on the wire: request code, write key and its data fields
// (the wire values between "profile, motor" and the check sum).
struct SimBlockLayout {
    const char* request;
    const char* writeKey;
    SimNeeds needs;
    std::span<const SimField> fields;
};

// A single-valued parameter: reply "value,", write value and value again.
struct SimValueLayout {
    const char* request;
    const char* writeKey;
    SimNeeds needs;
    SimField field;
};

// The simulator's own image of the controller's parameter set, kept as raw
// wire values: every per-motor block in both profiles, the switch times, the
// motor names, the alarm setup and the single values. It answers the read
// requests with reply payloads and applies write blocks after checking their
// addresses and ranges.
class SimParameters {
public:
    static constexpr int kProfiles = 2;
    static constexpr int kMotors = 8;
    static constexpr int kDays = 7;
    static constexpr int kSlots = 8;
    static constexpr int kNameLength = 12;
    static constexpr int kMaxBlockFields = 8;
    static constexpr int kSwitchFields = 6;
    // The stored fields of a switch-time slot, wire values.
    enum SwitchField { Direction, Hour, Minute, Duration, Group, Function };

    static const SimField& switchFieldRange(SwitchField field);
    static const SimField& alarmChoiceRange();
    static std::span<const SimBlockLayout> blockLayouts();
    static std::span<const SimValueLayout> valueLayouts();
    static const SimBlockLayout* blockByRequest(QByteArrayView code);
    static const SimBlockLayout* blockByWrite(QByteArrayView key);
    static const SimValueLayout* valueByRequest(QByteArrayView code);
    static const SimValueLayout* valueByWrite(QByteArrayView key);

    SimParameters();

    // --- reply payloads (without framing) --------------------------------------------
    // One payload per record: profile 0 then 1, motor 1..motors.
    QList<QByteArray> blockReplies(const SimBlockLayout& block, int motors) const;
    QByteArray valueReply(const SimValueLayout& value) const;
    // One payload per motor 1..motors.
    QList<QByteArray> alarmReplies(int motors) const;
    // Eight payloads, "n," + the 12-character name in Windows-1252.
    QList<QByteArray> nameReplies() const;
    // Day 1..7, motor 1..motors, slot 1..slots: the last record comes last.
    QList<QByteArray> switchTimeReplies(int motors, int slots) const;

    // --- writes: the parsed values, check value last. Return false and say why
    // when the record is not stored.
    bool applyBlock(const SimBlockLayout& block, const QList<qint32>& values, int motors,
                    QString* why);
    bool applyValue(const SimValueLayout& value, const QList<qint32>& values, QString* why);
    bool applyAlarm(const QList<qint32>& values, int motors, QString* why);
    bool applySwitchTime(const QList<qint32>& values, int motors, int slots, QString* why);
    // Fields: motor number, name, name again (already checked to be equal).
    bool applyName(const QList<QByteArray>& fields, QString* why);

    // --- direct access for tests and demos -----------------------------------------------
    std::array<qint32, kMaxBlockFields> block(const SimBlockLayout& layout, int profile,
                                              int motor) const;
    qint32 value(const SimValueLayout& layout) const;
    qint32 alarm(int motor) const { return m_alarm[motor - 1]; }
    std::array<qint32, kSwitchFields> switchTime(int day, int motor, int slot) const;
    QString name(int motor) const;

private:
    using Record = std::array<qint32, kMaxBlockFields>;
    static int blockIndex(const SimBlockLayout& layout);
    static int valueIndex(const SimValueLayout& layout);

    QList<std::array<std::array<Record, kMotors>, kProfiles>> m_blocks; // per block layout
    QList<qint32> m_values;                                             // per value layout
    std::array<qint32, kMotors> m_alarm{};
    std::array<std::array<std::array<std::array<qint32, kSwitchFields>, kSlots>, kMotors>, kDays>
        m_switch{};
    std::array<QByteArray, kMotors> m_names;
};

// "v1,v2,...," — the reply payload of a list of values.
QByteArray simValuesPayload(std::span<const qint32> values);

} // namespace korvane
