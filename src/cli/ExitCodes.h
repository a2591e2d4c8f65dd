#pragma once

#include "serial/SerialError.h"

namespace korvane::cli {

// The exit codes of korvane-cli, listed in its --help and the README.
enum ExitCode {
    kExitOk = 0,
    kExitUsage = 1,
    kExitTransfer = 2, // no answer, or the transfer failed
    kExitFile = 3,     // a file cannot be read or written, or is no whole settings file
    kExitPortNotFound = 4,
    kExitPortBusy = 5,
    kExitPortPermission = 6,
    kExitPortIo = 7,
    kExitPortLost = 8, // the open port went away during the command
};

inline int exitCodeFor(const SerialError& error) {
    switch (error.kind) {
    case SerialError::Kind::None:
        return kExitOk;
    case SerialError::Kind::NotFound:
        return kExitPortNotFound;
    case SerialError::Kind::Busy:
        return kExitPortBusy;
    case SerialError::Kind::Permission:
        return kExitPortPermission;
    case SerialError::Kind::Io:
        break;
    case SerialError::Kind::Lost:
        return kExitPortLost;
    }
    return kExitPortIo;
}

} // namespace korvane::cli
