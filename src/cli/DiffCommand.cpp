#include "DiffCommand.h"

#include "StatusCommand.h"
#include "TransferCommands.h"

#include "files/SettingsFile.h"
#include "session/ControllerSession.h"
#include "session/ParameterDiff.h"

namespace korvane::cli {
namespace {

bool load(const QString& file, ParameterSet& set, QTextStream& err) {
    const LoadResult loaded = loadSettingsFile(file, set);
    if (!loaded.ok())
        err << loaded.message() << '\n';
    return loaded.ok();
}

int report(const QStringList& differences, QTextStream& out) {
    for (const QString& line : differences)
        out << line << '\n';
    return differences.isEmpty() ? kDiffEqual : kDiffDifferent;
}

} // namespace

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
    if (!parsed.countsValid || parsed.info.motorCount < 1 || parsed.info.slotsPerMotor < 1)
        return std::nullopt;
    return parsed.info;
}

int runFileDiff(const QString& fileA, const QString& fileB, const ModelInfo& scope,
                QTextStream& out, QTextStream& err) {
    ParameterSet a;
    ParameterSet b;
    if (!load(fileA, a, err) || !load(fileB, b, err))
        return kDiffTrouble;
    return report(parameterDifferences(a, b, scope), out);
}

int runControllerDiff(ControllerSession& session, const ParameterSet& fromFile, int timeoutSeconds,
                      QTextStream& out, QTextStream& err) {
    ParameterSet fromController;
    if (!waitForController(session, timeoutSeconds, err) ||
        readEverything(session, fromController, err) != 0)
        return kDiffTrouble;
    return report(parameterDifferences(asControllerKeeps(fromFile),
                                       asControllerKeeps(fromController), session.model()),
                  out);
}

} // namespace korvane::cli
