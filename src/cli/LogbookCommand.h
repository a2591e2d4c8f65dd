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
// ("Motor 1" .. "Motor 8" until they arrive). A silence of `timeoutSeconds`
// ends a transfer; a stop signal ends it at once, leaving the file untouched
// and printing no list. Returns the exit code: 0 done, 1 usage, 2 the
// controller did not answer, did not finish the transfer or a stop signal
// came, 3 file error.
int runLogbookCommand(ControllerSession& session, const QString& file, bool list,
                      double timeoutSeconds, QTextStream& out, QTextStream& err,
                      MotorNameLookup motorNames = {});

// The usage error of a logbook command with both or neither of FILE and --list.
QString logbookUsageError();

} // namespace korvane::cli
