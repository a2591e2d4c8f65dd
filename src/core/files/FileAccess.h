#pragma once

#include <QString>

namespace korvane {

// Why a file cannot be read or written, as a German sentence that names the
// path; empty when nothing stands in the way. They look before the attempt,
// so a command can refuse before it starts a long transfer.
QString fileReadProblem(const QString& path);
QString fileWriteProblem(const QString& path);

// True when `path` names nothing at all (the "File not found" case).
bool fileIsMissing(const QString& path);

} // namespace korvane
