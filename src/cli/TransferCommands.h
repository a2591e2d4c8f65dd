#pragma once

#include <QString>
#include <QTextStream>

namespace korvane {
class ControllerSession;
struct ParameterSet;
} // namespace korvane

namespace korvane::cli {

// `read FILE`: every setting from the controller into a settings file.
int runReadCommand(ControllerSession& session, const QString& file, int timeoutSeconds,
                   QTextStream& out, QTextStream& err);
// `send [--verify] FILE`: sends all of `params`, loaded from `file` before the
// port was opened, every record marked changed. With `verify`, reads
// everything back afterwards and fails, listing them, on any difference
// within the controller's model.
int runSendCommand(ControllerSession& session, ParameterSet& params, const QString& file,
                   bool verify, int timeoutSeconds, QTextStream& out, QTextStream& err);
// A read-all into `params` once the controller has answered a poll; 0, or
// the exit code of the failure after saying what failed on `err`.
int readEverything(ControllerSession& session, ParameterSet& params, QTextStream& err);

} // namespace korvane::cli
