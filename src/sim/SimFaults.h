#pragma once

#include <QString>
#include <optional>

namespace korvane {

// Ways the simulated controller can misbehave, for tests and demonstrations.
struct SimFaults {
    bool badChecksum = false; // replies that carry a check value carry a wrong one
    bool junk = false;        // stray bytes between frames
    bool split = false;       // each frame written in several pieces with short pauses
    bool silent = false;      // no answer at all, as with an unplugged cable

    // One of "bad-checksum", "junk", "split", "silent".
    static std::optional<SimFaults> fromName(const QString& name);
    bool operator==(const SimFaults&) const = default;
};

} // namespace korvane
