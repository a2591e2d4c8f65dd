#pragma once

#include <QString>
#include <QTextStream>

namespace korvane {
class ControllerSession;
struct ParameterSet;
} // namespace korvane

namespace korvane::cli {

// `timeoutSeconds` is how long the controller may stay silent: before its
// first answer, and during a read-all (see ParameterTransfer). A stop signal
// (StopSignals) ends a read at once and a send after the step on the line;
// the command then says so and fails.

// `read FILE`: every setting from the controller into a settings file.
int runReadCommand(ControllerSession& session, const QString& file, double timeoutSeconds,
                   QTextStream& out, QTextStream& err);
// `send [--verify] FILE`: sends all of `params`, loaded from `file` before the
// port was opened, every record marked changed. A send that ends early names
// the last step the controller acknowledged. With `verify`, reads everything
// back afterwards and fails, listing them, on any difference within the
// controller's model; a read-back that fails gives kExitSentUnverified.
int runSendCommand(ControllerSession& session, ParameterSet& params, const QString& file,
                   bool verify, double timeoutSeconds, QTextStream& out, QTextStream& err);
// A read-all into `params` once the controller has answered a poll; 0, or
// the exit code of the failure after saying what failed on `err`.
int readEverything(ControllerSession& session, ParameterSet& params, double timeoutSeconds,
                   QTextStream& err);

} // namespace korvane::cli
