#pragma once

namespace korvane {

// Events that set or clear the Changed flags of the parameter tables. Which
// tables each event touches is decided in one place, next to the tables.
enum class ChangedEvent {
    Startup,
    FileLoaded,
    PortChanged,
    ConnectionLost,
    ReadAllDone,
    SendAllDone,
};

} // namespace korvane
