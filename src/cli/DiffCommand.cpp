#include "DiffCommand.h"

#include "StatusCommand.h"
#include "TransferCommands.h"

#include "files/FileAccess.h"
#include "files/SettingsFile.h"
#include "session/ControllerSession.h"
#include "session/ParameterDiff.h"

namespace korvane::cli {
namespace {

bool load(const QString& file, ParameterSet& set, QTextStream& err) {
    const LoadResult loaded = loadSettingsFile(file, set);
    if (!loaded.ok())
        err << loadFailureText(loaded) << '\n';
    for (const QString& warning : loaded.warnings)
        err << warning << '\n';
    return loaded.ok();
}

int report(const QStringList& differences, QTextStream& out) {
    for (const QString& line : differences)
        out << line << '\n';
    return differences.isEmpty() ? kDiffEqual : kDiffDifferent;
}

} // namespace

QString loadFailureText(const LoadResult& loaded) {
    // The window's message box keeps its own words for a missing file.
    return loaded.status == LoadResult::Status::NotFound ? fileReadProblem(loaded.path)
                                                         : loaded.message();
}

std::optional<ModelInfo> parseScope(const QString& text) {
    ModelInfo model = fullModel();
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("basic")) {
        model.sensor = model.conservatory = model.keyAutomatic = false;
        return model;
    }
    if (word == QLatin1String("sensor") || word == QLatin1String("sensor-key")) {
        model.conservatory = false;
        model.keyAutomatic = word.endsWith(QLatin1String("key"));
        return model;
    }
    if (word == QLatin1String("conservatory"))
        return model;
    const ModelParse parsed = parseModel(text, ModelInfo());
    if (!parsed.countsValid)
        return std::nullopt;
    return parsed.info;
}

std::optional<int> runDiffWithoutPort(const CliOptions& options, QTextStream& out,
                                      QTextStream& err) {
    const qsizetype files = options.arguments.size();
    // Against the controller, its own model is the scope.
    if (files < 1 || files > 2 || (files == 2 && options.portGiven) ||
        (files == 1 && !options.scope.isEmpty())) {
        err << QStringLiteral("korvane-cli: diff braucht [--scope MODELL] A.vts B.vts oder "
                              "[--port PORT] DATEI.vts\n");
        return kDiffTrouble;
    }
    if (files == 1)
        return std::nullopt;
    const auto scope =
        parseScope(options.scope.isEmpty() ? QStringLiteral("conservatory") : options.scope);
    if (!scope) {
        err << QStringLiteral("korvane-cli: --scope: kein Modell \u201E%1\u201C; ein Modelltext "
                              "wie von status gezeigt, oder basic, sensor, sensor-key, "
                              "conservatory\n")
                   .arg(options.scope);
        return kDiffTrouble;
    }
    return runFileDiff(options.arguments[0], options.arguments[1], *scope, out, err);
}

int runFileDiff(const QString& fileA, const QString& fileB, const ModelInfo& scope,
                QTextStream& out, QTextStream& err) {
    ParameterSet a;
    ParameterSet b;
    if (!load(fileA, a, err) || !load(fileB, b, err))
        return kDiffTrouble;
    return report(parameterDifferences(a, b, scope), out);
}

int runControllerDiff(ControllerSession& session, const ParameterSet& fromFile,
                      double timeoutSeconds, QTextStream& out, QTextStream& err) {
    ParameterSet fromController;
    if (!waitForController(session, timeoutSeconds, err) ||
        readEverything(session, fromController, timeoutSeconds, err) != 0)
        return kDiffTrouble;
    // Only what the file can hold counts: a fresh backup equals the controller.
    return report(parameterDifferences(asControllerKeeps(asSettingsFileHolds(fromFile)),
                                       asControllerKeeps(asSettingsFileHolds(fromController)),
                                       session.model()),
                  out);
}

} // namespace korvane::cli
