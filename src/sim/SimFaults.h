#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace korvane {

// A fault aimed at one reply or write code. `occurrence` picks the n-th
// time (1-based, counted over the whole run) the code comes up; 0 means
// every time.
struct SimCodeFault {
    enum class Kind {
        BadCheck, // the n-th reply frame of `code` carries a wrong check value
        Drop,     // the replies to the n-th request of `code` are never sent
        Refuse,   // the n-th write of `code` is not stored; its step is acknowledged with 1
        Corrupt,  // the n-th write of `code` (a per-motor block or single value) is
                  // stored with its last value one off, and acknowledged with 0
    };
    Kind kind = Kind::BadCheck;
    QByteArray code; // "sbp", "smn", "rbp" (writes without the leading blank)
    int occurrence = 0;
    bool operator==(const SimCodeFault&) const = default;
};

// Ways the simulated controller can misbehave, for tests and demonstrations.
struct SimFaults {
    bool badChecksum = false; // replies that carry a check value carry a wrong one
    bool junk = false;        // stray bytes between frames
    bool split = false;       // each frame written in several pieces with short pauses
    bool silent = false;      // no answer at all, as with an unplugged cable
    // Percentage (0 .. 100) of the frames that carry a check value whose check
    // value is wrong, spread evenly over the run.
    int badCheckPercent = 0;
    QList<SimCodeFault> codeFaults{};
    // Once this many bytes have been sent, the line hangs up: the simulator
    // closes its end of the pseudo-terminal, as an unplugged USB adapter
    // does, and comes back on a fresh one a second later. -1: never.
    qint64 hangupAfterBytes = -1;

    // One of "bad-checksum", "junk", "split", "silent", "bad-check-share=P",
    // "bad-check=CODE[:N]", "drop=CODE[:N]", "refuse=CODE[:N]", "corrupt=CODE[:N]",
    // "hangup=N".
    static std::optional<SimFaults> fromName(const QString& name);
    // Adds the faults of `other` to these.
    void merge(const SimFaults& other);
    bool operator==(const SimFaults&) const = default;
};

// Counts how often each code comes up and says when a fault strikes.
class SimFaultCounter {
public:
    void reset(const SimFaults& faults);
    // One more occurrence of `code` for faults of `kind`: true when one hits it.
    bool strikes(SimCodeFault::Kind kind, QByteArrayView code);
    // One more frame that carries a check value: true when its check is spoilt.
    bool spoilsCheck(QByteArrayView code);

private:
    SimFaults m_faults;
    QHash<QByteArray, int> m_counts; // kind digit + code
    qint64 m_checkFrames = 0;
};

} // namespace korvane
