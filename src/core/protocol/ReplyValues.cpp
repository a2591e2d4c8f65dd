#include "protocol/ReplyValues.h"

namespace korvane {
namespace {

std::optional<qint32> parseDecimal(QByteArrayView field) {
    const QByteArrayView t = field.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    const bool negative = t[0] == '-';
    if (negative || t[0] == '+')
        ++i;
    if (i == t.size())
        return std::nullopt;
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > qint64(2147483648LL))
            return std::nullopt;
    }
    v = negative ? -v : v;
    if (v > 2147483647LL)
        return std::nullopt;
    return static_cast<qint32>(v);
}

} // namespace

std::optional<ReplyValues> parseReplyValues(QByteArrayView payload, ReplyParseError* error) {
    ReplyValues values{};
    qsizetype pos = 0;
    for (int slot = 0; slot < kReplyValueCount; ++slot) {
        const qsizetype comma = payload.indexOf(',', pos);
        if (comma < 0)
            break;
        const QByteArrayView field = payload.sliced(pos, comma - pos);
        const auto v = parseDecimal(field);
        if (!v) {
            if (error) {
                error->field = slot;
                error->text = field.toByteArray();
            }
            return std::nullopt;
        }
        values[slot] = *v;
        pos = comma + 1;
    }
    return values;
}

bool checkSumMatches(const ReplyValues& values, int dataCount) {
    if (dataCount < 0 || dataCount >= kReplyValueCount)
        return false;
    quint32 sum = 0; // wraps like the controller's 32-bit sum
    for (int i = 0; i < dataCount; ++i)
        sum += static_cast<quint32>(values[i]);
    return static_cast<qint32>(sum) == values[dataCount];
}

} // namespace korvane
