#include "SimFaults.h"

namespace korvane {

std::optional<SimFaults> SimFaults::fromName(const QString& name) {
    SimFaults f;
    if (name == QLatin1String("bad-checksum"))
        f.badChecksum = true;
    else if (name == QLatin1String("junk"))
        f.junk = true;
    else if (name == QLatin1String("split"))
        f.split = true;
    else if (name == QLatin1String("silent"))
        f.silent = true;
    else
        return std::nullopt;
    return f;
}

} // namespace korvane
