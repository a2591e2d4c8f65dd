#pragma once

#include "CliOptions.h"

#include "session/ModelInfo.h"

#include <QString>
#include <QTextStream>
#include <optional>

namespace korvane {
class ControllerSession;
struct LoadResult;
struct ParameterSet;
} // namespace korvane

namespace korvane::cli {

// Exit codes of `diff`, as diff(1) has them.
enum DiffExit { kDiffEqual = 0, kDiffDifferent = 1, kDiffTrouble = 2 };

// What the command line says when a settings file does not load (German).
QString loadFailureText(const LoadResult& loaded);

// `--scope MODEL`: a model text as the controller reports it (and `status`
// prints it), or one of "basic", "sensor", "sensor-key", "conservatory" for
// that variant with 8 motors and 8 slots. Nullopt for anything else.
std::optional<ModelInfo> parseScope(const QString& text);

// `diff` up to the port: a usage error or a comparison of two files ends
// here with its exit code; nullopt for `diff FILE.vts`, which needs the
// controller.
std::optional<int> runDiffWithoutPort(const CliOptions& options, QTextStream& out,
                                      QTextStream& err);

// `diff A.vts B.vts`: prints a line per difference (A's value → B's).
int runFileDiff(const QString& fileA, const QString& fileB, const ModelInfo& scope,
                QTextStream& out, QTextStream& err);

// `diff FILE.vts` against the controller, with `fromFile` loaded from FILE
// before the port was opened: reads everything (nothing is written to the
// controller) and prints a line per difference (the file's value → the
// controller's) within the controller's model.
int runControllerDiff(ControllerSession& session, const ParameterSet& fromFile,
                      double timeoutSeconds, QTextStream& out, QTextStream& err);

} // namespace korvane::cli
