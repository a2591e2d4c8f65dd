#pragma once

#include "blocks/BlockCodec.h"
#include "params/AlarmSetup.h"
#include "params/ChangedEvent.h"
#include "params/MotorNames.h"
#include "params/SwitchTimeTable.h"
#include "params/SystemParameters.h"

#include <QStringList>
#include <array>

namespace korvane {

// The whole parameter set of the controller as plain data: what read-all
// fills, send-all sends and the settings file saves and loads.
struct ParameterSet {
    SwitchTimeTable switchTimes;
    MotorNames motorNames;
    std::array<BlockTable, kBlockCount> blocks; // indexed by BlockId
    AlarmSetup alarmSetup = defaultAlarmSetup();
    std::array<qint32, kSystemParamCount> systemParams{}; // indexed by SystemParam
    // The profile that the per-motor pages show and edit (0 or 1).
    qint32 activeProfile = 0;

    // Start-up state: every default, every Changed flag set.
    ParameterSet();

    BlockTable& table(BlockId id) { return blocks[int(id)]; }
    const BlockTable& table(BlockId id) const { return blocks[int(id)]; }
    BlockRecord& record(BlockId id, int profile, int motor) { return table(id)[profile][motor]; }
    const BlockRecord& record(BlockId id, int profile, int motor) const {
        return table(id)[profile][motor];
    }
    qint32& param(SystemParam id) { return systemParams[int(id)]; }
    qint32 param(SystemParam id) const { return systemParams[int(id)]; }

    friend bool operator==(const ParameterSet&, const ParameterSet&) = default;
};

// Sets or clears the Changed flags of every table as `event` demands; the
// whole policy is the one table in ParameterSet.cpp.
void applyChangedEvent(ParameterSet& set, ChangedEvent event);

// "Standard-Profil kopieren": the data fields of every standard-profile
// record onto the alternative profile, for the blocks that take part (not
// humidity, not key-press). Every copied record is marked Changed so that the
// next send-all carries the copy; the standard profile's flags stay.
void copyStandardToAlternative(ParameterSet& set);

// Reply of a per-motor block (the dispatcher looks the block up with
// blockForReplyCode). See decodeBlockReply for what is refused.
ReplyOutcome applyBlockReply(ParameterSet& set, BlockId id, const ReplyValues& values);

// The send-all step of a per-motor block; sets Changed of the record of
// profile 1 and the last motor, which it always writes.
BlockSendResult encodeBlockStep(ParameterSet& set, BlockId id, int motorCount);

// The eight list rows of a block for `profile` (normally set.activeProfile).
QStringList blockListRows(const ParameterSet& set, BlockId id, int profile);

// Stores an editor choice into the record of `profile` and `motor`, applies
// the block's editor rule and sets the record's Changed flag. A linked field
// (wind's direction) is stored into the linked block's record, whose Changed
// flag is set instead.
void editBlockField(ParameterSet& set, BlockId id, int profile, int motor, int field, int index);
void editLinkedField(ParameterSet& set, BlockId id, int profile, int motor, int index);

// A list double click: switches the record on (any non-zero on/off index) or
// off (0) and sets its Changed flag.
void toggleOnOff(ParameterSet& set, BlockId id, int profile, int motor);

} // namespace korvane
