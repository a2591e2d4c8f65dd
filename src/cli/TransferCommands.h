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
// `send FILE`: sends all of `params`, loaded from `file` before the port was
// opened, every record marked changed.
int runSendCommand(ControllerSession& session, ParameterSet& params, const QString& file,
                   int timeoutSeconds, QTextStream& out, QTextStream& err);

} // namespace korvane::cli
