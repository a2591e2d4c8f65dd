#include "logbook/LogEntry.h"

namespace korvane {

LogEntryDecode decodeLogEntry(const ReplyValues& values) {
    LogEntryDecode result;
    if (!checkSumMatches(values, LogEntry::kValueCount)) {
        result.errorText = QStringLiteral("LoBuFe ") + QString::number(qint64(values[0]) - 1);
        return result;
    }
    LogEntry e;
    e.number = values[0];
    e.motor = values[1];
    e.direction = values[2];
    e.day = values[3];
    e.month = values[4];
    e.cause = values[5];
    e.hour = values[6];
    e.minute = values[7];
    e.kind = values[8];
    result.entry = e;
    return result;
}

QByteArray encodeLogEntry(const LogEntry& e) {
    const qint32 fields[LogEntry::kValueCount] = {e.number, e.motor, e.direction, e.day, e.month,
                                                  e.cause,  e.hour,  e.minute,    e.kind};
    QByteArray out;
    out.reserve(48);
    quint32 sum = 0;
    for (qint32 v : fields) {
        out += QByteArray::number(v);
        out += ',';
        sum += static_cast<quint32>(v);
    }
    out += QByteArray::number(static_cast<qint32>(sum));
    out += ',';
    return out;
}

} // namespace korvane
