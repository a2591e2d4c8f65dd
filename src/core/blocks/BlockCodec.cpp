#include "blocks/BlockCodec.h"

#include "params/MotorNames.h"

namespace korvane {

qint32 wireFromIndex(const FieldDescription& field, qint32 index) {
    switch (field.wire) {
    case WireConv::Offset:
        return index + field.wireOffset;
    case WireConv::Flag:
        return index == 0 ? 1 : 0;
    case WireConv::WindSpeed:
        return (index + 1) * 5;
    case WireConv::Reaction:
        return index == 0 ? 1 : index == 1 ? 0 : index;
    }
    return index;
}

std::optional<qint32> indexFromWire(const FieldDescription& field, qint32 wire) {
    qint64 index = wire;
    switch (field.wire) {
    case WireConv::Offset:
        index = qint64(wire) - field.wireOffset;
        break;
    case WireConv::Flag:
        index = wire == 1 ? 0 : 1;
        break;
    case WireConv::WindSpeed:
        index = wire / 5 - 1; // the fraction is dropped
        break;
    case WireConv::Reaction:
        index = wire == 1 ? 0 : wire == 0 ? 1 : wire;
        break;
    }
    if (!indexInRange(field, index))
        return std::nullopt;
    return qint32(index);
}

ReplyOutcome decodeBlockReply(const BlockDescription& block, const ReplyValues& values,
                              BlockTable& table) {
    ReplyOutcome out;
    out.errorText = block.errorText.toString();
    if (!checkSumMatches(values, block.checkCount()))
        return out;
    const qint32 profile = values[0];
    const qint32 motor = values[1];
    if (profile < 0 || profile >= kProfileCount || motor < 1 || motor > kMotorCount)
        return out;
    BlockRecord decoded = table[profile][motor - 1];
    for (int f = 0; f < block.fieldCount(); ++f) {
        const auto index = indexFromWire(block.fields[f], values[2 + f]);
        if (!index)
            return out;
        decoded.value[f] = *index;
    }
    table[profile][motor - 1] = decoded;
    out.stored = true;
    out.errorText.clear();
    out.profile = profile;
    out.motor = motor - 1;
    return out;
}

QByteArray encodeBlockWrite(const BlockDescription& block, int profile, int motor,
                            const BlockRecord& rec) {
    QByteArray out(block.writeCommand);
    quint32 sum = 0; // 32-bit sum, as the controller adds
    auto put = [&](qint32 v) {
        out += QByteArray::number(v);
        out += '\r';
        sum += quint32(v);
    };
    put(profile);
    put(motor + 1);
    for (int f = 0; f < block.fieldCount(); ++f)
        put(wireFromIndex(block.fields[f], rec.value[f]));
    out += QByteArray::number(qint32(sum));
    out += '\r';
    return out;
}

BlockSendResult encodeBlockStep(const BlockDescription& block, BlockTable& table, int motorCount) {
    const int motors = qBound(1, motorCount, kMotorCount);
    BlockSendResult result;
    for (int p = 0; p < kProfileCount; ++p) {
        for (int m = 0; m < motors; ++m) {
            BlockRecord& rec = table[p][m];
            if (p == kProfileCount - 1 && m == motors - 1)
                rec.changed = true;
            if (rec.changed)
                result.writes.append(encodeBlockWrite(block, p, m, rec));
            result.txAmount += block.txPerRecord;
        }
    }
    return result;
}

QString blockRow(const BlockDescription& block, const BlockRecord& rec, const BlockRecord& linked,
                 const QString& motorName) {
    QString row = MotorNames::nameCell(motorName) + QStringLiteral("  ") +
                  fieldItemText(block.fields[0], rec.value[0]) +
                  QLatin1StringView(block.rowAfterOnOff);
    if (rec.value[0] != kOn)
        return row;
    return row + block.rowTail(block, rec, linked);
}

} // namespace korvane
