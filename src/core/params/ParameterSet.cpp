#include "params/ParameterSet.h"

namespace korvane {
namespace {

enum class FlagAction { Keep, Set, Clear };

struct ChangedPolicyRow {
    ChangedEvent event;
    FlagAction switchTimes;
    FlagAction common; // shading, twilight, wind, rain, proportional, inside, outside
    FlagAction humidity;
    FlagAction reversing;
    FlagAction keyPress;
};

using A = FlagAction;
using E = ChangedEvent;

// clang-format off
// Which events set or clear the Changed flags of which tables.
//  event               switch times  common    humidity  reversing  key-press
constexpr ChangedPolicyRow kChangedPolicy[] = {
    {E::Startup,        A::Set,       A::Set,   A::Set,   A::Set,    A::Set},
    {E::FileLoaded,     A::Set,       A::Set,   A::Set,   A::Set,    A::Keep},
    {E::PortChanged,    A::Set,       A::Set,   A::Keep,  A::Keep,   A::Keep},
    {E::ConnectionLost, A::Set,       A::Set,   A::Keep,  A::Keep,   A::Keep},
    {E::ReadAllDone,    A::Clear,     A::Clear, A::Clear, A::Keep,   A::Keep},
    {E::SendAllDone,    A::Clear,     A::Clear, A::Clear, A::Clear,  A::Clear},
};
// clang-format on

FlagAction actionFor(const ChangedPolicyRow& row, ChangedGroup group) {
    switch (group) {
    case ChangedGroup::Common:
        return row.common;
    case ChangedGroup::Humidity:
        return row.humidity;
    case ChangedGroup::Reversing:
        return row.reversing;
    case ChangedGroup::KeyPress:
        return row.keyPress;
    }
    return FlagAction::Keep;
}

void applyAction(BlockTable& table, FlagAction action) {
    if (action == FlagAction::Keep)
        return;
    for (auto& profile : table) {
        for (auto& rec : profile)
            rec.changed = action == FlagAction::Set;
    }
}

} // namespace

ParameterSet::ParameterSet() {
    for (const BlockDescription& b : blockDescriptions()) {
        for (auto& profile : table(b.id))
            profile.fill(defaultRecord(b));
    }
    for (const SystemParamDescription& p : systemParamDescriptions())
        param(p.id) = p.defaultIndex;
}

void applyChangedEvent(ParameterSet& set, ChangedEvent event) {
    for (const ChangedPolicyRow& row : kChangedPolicy) {
        if (row.event != event)
            continue;
        if (row.switchTimes != FlagAction::Keep)
            set.switchTimes.setAllChanged(row.switchTimes == FlagAction::Set);
        for (const BlockDescription& b : blockDescriptions())
            applyAction(set.table(b.id), actionFor(row, b.changedGroup));
    }
}

void copyStandardToAlternative(ParameterSet& set) {
    for (const BlockDescription& b : blockDescriptions()) {
        if (!b.inProfileCopy)
            continue;
        BlockTable& t = set.table(b.id);
        for (int m = 0; m < kMotorCount; ++m) {
            t[1][m].value = t[0][m].value;
            // The copy must reach the controller with the next send-all.
            t[1][m].changed = true;
        }
    }
}

ReplyOutcome applyBlockReply(ParameterSet& set, BlockId id, const ReplyValues& values) {
    return decodeBlockReply(blockDescription(id), values, set.table(id));
}

BlockSendResult encodeBlockStep(ParameterSet& set, BlockId id, int motorCount) {
    return encodeBlockStep(blockDescription(id), set.table(id), motorCount);
}

QStringList blockListRows(const ParameterSet& set, BlockId id, int profile) {
    const BlockDescription& b = blockDescription(id);
    QStringList rows;
    for (int m = 0; m < kMotorCount; ++m) {
        const BlockRecord& rec = set.record(id, profile, m);
        const BlockRecord& linked = b.hasLinkedBlock ? set.record(b.linkedBlock, profile, m) : rec;
        rows.append(blockRow(b, rec, linked, set.motorNames.name(m)));
    }
    return rows;
}

void editBlockField(ParameterSet& set, BlockId id, int profile, int motor, int field, int index) {
    BlockRecord& rec = set.record(id, profile, motor);
    applyFieldEdit(blockDescription(id), rec, field, index);
    rec.changed = true;
}

void editLinkedField(ParameterSet& set, BlockId id, int profile, int motor, int index) {
    const BlockDescription& b = blockDescription(id);
    if (!b.hasLinkedBlock)
        return;
    editBlockField(set, b.linkedBlock, profile, motor, b.linkedField, index);
}

void toggleOnOff(ParameterSet& set, BlockId id, int profile, int motor) {
    BlockRecord& rec = set.record(id, profile, motor);
    rec.value[0] = rec.value[0] != kOn ? kOn : kOff;
    rec.changed = true;
}

} // namespace korvane
