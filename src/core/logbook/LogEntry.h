#pragma once

#include "protocol/ReplyValues.h"

#include <QString>
#include <optional>

namespace korvane {

// One entry of the controller's event log as the "sld" and "slf" replies carry
// it: ten comma-terminated integers, the last being the sum of the other nine.
struct LogEntry {
    // Entry number that marks the frame ending a transfer.
    static constexpr int kEndNumber = 9999;
    // Data values before the check value.
    static constexpr int kValueCount = 9;

    int number = 0;    // 1 = newest entry; kEndNumber ends the transfer
    int motor = 0;     // 1 to 8
    int direction = 0; // 0 = down, anything else = up
    int day = 0;
    int month = 0;
    int cause = 0; // see LogCause
    int hour = 0;
    int minute = 0;
    int kind = 0; // for cause 0: 0 fixed, 1 solar, 2 random switch time

    bool isEnd() const { return number == kEndNumber; }
    bool isUp() const { return direction != 0; }
    // Day and month both 0: the controller's way of saying the log is empty.
    bool isNoEntriesMarker() const { return day == 0 && month == 0; }
    bool operator==(const LogEntry&) const = default;
};

struct LogEntryDecode {
    std::optional<LogEntry> entry;
    // Set when the check value does not match: "LoBuFe " + (N - 1).
    QString errorText;
};

// Decodes parsed reply values; a check mismatch yields no entry and the error
// text for panel 5.
LogEntryDecode decodeLogEntry(const ReplyValues& values);

// The reply payload for `entry`, check value included (used by the simulator).
QByteArray encodeLogEntry(const LogEntry& entry);

} // namespace korvane
