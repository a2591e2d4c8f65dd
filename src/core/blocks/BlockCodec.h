#pragma once

#include "blocks/BlockDescription.h"
#include "protocol/ReplyValues.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace korvane {

// What a block reply did to its table.
struct ReplyOutcome {
    bool stored = false;
    QString errorText; // status panel 5 text when the reply was refused, else empty
    int profile = -1;  // address of the stored record
    int motor = -1;    // table index 0..7
};

// The writes of one send-all step and the amount it adds to TxCount.
struct BlockSendResult {
    QList<QByteArray> writes;
    int txAmount = 0;
};

// Field conversions between item index and wire value.
qint32 wireFromIndex(const FieldDescription& field, qint32 index);
// Nullopt when the value does not map into the field's item list.
std::optional<qint32> indexFromWire(const FieldDescription& field, qint32 wire);

// Stores one reply record into `table`. Refused (nothing stored, the block's
// error text returned) when the check sum is wrong, the profile is not 0 or
// 1, the motor not 1..8, or any value maps outside its item list. Changed is
// not touched.
ReplyOutcome decodeBlockReply(const BlockDescription& block, const ReplyValues& values,
                              BlockTable& table);

// " rbp" + profile, motor, fields and check sum, each followed by CR.
QByteArray encodeBlockWrite(const BlockDescription& block, int profile, int motor,
                            const BlockRecord& rec);

// One send-all step: profile 0 then 1, motors 1..motorCount (clamped to
// 1..8); the record of profile 1 and the last motor gets Changed set first so
// that the step always writes it; records with Changed are written. TxCount
// grows by the block's amount per motor position walked.
BlockSendResult encodeBlockStep(const BlockDescription& block, BlockTable& table, int motorCount);

// One list row. `linked` is the linked block's record (wind: the rain record
// of the same profile and motor), otherwise `rec` again.
QString blockRow(const BlockDescription& block, const BlockRecord& rec, const BlockRecord& linked,
                 const QString& motorName);

} // namespace korvane
