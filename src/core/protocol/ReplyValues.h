#pragma once

#include <QByteArray>
#include <array>
#include <optional>

namespace korvane {

inline constexpr int kReplyValueCount = 16;

// Up to 16 comma-terminated signed integers of a reply payload; slots with no
// comma-terminated value are 0, text after the last comma is ignored.
using ReplyValues = std::array<qint32, kReplyValueCount>;

struct ReplyParseError {
    int field = 0;   // 0-based index of the offending value
    QByteArray text; // the text that is not a decimal integer
};

// Returns nullopt (and fills *error when given) when a comma-terminated field
// is not a decimal integer that fits 32 bits.
std::optional<ReplyValues> parseReplyValues(QByteArrayView payload,
                                            ReplyParseError* error = nullptr);

// A block reply carries `dataCount` values and then their plain sum.
bool checkSumMatches(const ReplyValues& values, int dataCount);

} // namespace korvane
