#pragma once

#include "logbook/LogFormat.h"

#include <QTextStream>

namespace korvane {
class ControllerSession;
}

namespace korvane::cli {

// `korvane-cli logbook FILE.vlf`: exports the whole logbook to FILE with a
// progress line on `err`. `korvane-cli logbook --list`: reads the log from its
// first entry, 100 at a time, and prints the list rows to `out`.
// Without `motorNames` the names come from the controller's "smn" replies
// ("Motor 1" .. "Motor 8" until they arrive). Returns the exit code:
// 0 done, 1 usage, 2 the controller did not answer within `timeoutSeconds` or did
// not finish the transfer, 3 file error.
// The usage error of a logbook command with both or neither of FILE and --list.
QString logbookUsageError();

int runLogbookCommand(ControllerSession& session, const QString& file, bool list,
                      int timeoutSeconds, QTextStream& out, QTextStream& err,
                      MotorNameLookup motorNames = {});

} // namespace korvane::cli
