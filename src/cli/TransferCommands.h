#pragma once

#include <QString>
#include <QTextStream>

namespace korvane {
class ControllerSession;
}

namespace korvane::cli {

// `read FILE`: every setting from the controller into a settings file.
int runReadCommand(ControllerSession& session, const QString& file, int timeoutSeconds,
                   QTextStream& out, QTextStream& err);
// `send FILE`: loads the file and sends all of it, every record marked changed.
int runSendCommand(ControllerSession& session, const QString& file, int timeoutSeconds,
                   QTextStream& out, QTextStream& err);

} // namespace korvane::cli
