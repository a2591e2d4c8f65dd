#include "files/FileAccess.h"
#include "files/SettingsFile.h"
#include "files/SettingsLayout.h"
#include "text/Cp1252.h"

#include <QSaveFile>

namespace korvane {
namespace {

void appendLine(QByteArray& out, const QString& text) {
    out += toCp1252(text);
    out += "\r\n";
}

QString saveFailure(const QString& path, const QString& reason) {
    return QStringLiteral("Kann \u201E%1\u201C nicht speichern: %2").arg(path, reason);
}

} // namespace

QByteArray settingsFileBytes(const ParameterSet& set) {
    QByteArray out;
    out.reserve(128 * 1024);
    for (const SettingsSection& s : SettingsLayout::instance().sections) {
        appendLine(out, u'[' + s.header + u']');
        const QStringList values = sectionValues(set, s);
        for (int k = 0; k < s.keys.size(); ++k)
            appendLine(out, s.keys[k] + u'=' + values[k]);
        appendLine(out, QString());
    }
    return out;
}

SaveResult saveSettingsFile(const QString& path, const ParameterSet& set) {
    SaveResult result;
    if (const QString problem = fileReplaceProblem(path); !problem.isEmpty()) {
        result.errorText = problem;
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.errorText = saveFailure(path, file.errorString());
        return result;
    }
    const QByteArray bytes = settingsFileBytes(set);
    if (file.write(bytes) != bytes.size()) {
        result.errorText = saveFailure(path, file.errorString());
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.errorText = saveFailure(path, file.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace korvane
