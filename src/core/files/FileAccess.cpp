#include "files/FileAccess.h"

#include <QDir>
#include <QFileInfo>

namespace korvane {
namespace {

QString quoted(const QString& path) {
    return QStringLiteral("\u201E%1\u201C").arg(QDir::toNativeSeparators(path));
}

} // namespace

bool fileIsMissing(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

QString fileReadProblem(const QString& path) {
    const QFileInfo info(path);
    if (fileIsMissing(path))
        return QStringLiteral("Die Datei %1 gibt es nicht.").arg(quoted(path));
    if (!info.exists())
        return QStringLiteral("%1 verweist auf eine Datei, die es nicht gibt.").arg(quoted(path));
    if (info.isDir())
        return QStringLiteral("%1 ist ein Ordner, keine Datei.").arg(quoted(path));
    if (!info.isReadable())
        return QStringLiteral("Keine Berechtigung, %1 zu lesen.").arg(quoted(path));
    return {};
}

QString fileWriteProblem(const QString& path) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (info.isDir())
        return QStringLiteral("%1 ist ein Ordner, keine Datei.").arg(quoted(path));
    if (!folder.exists())
        return QStringLiteral("Den Ordner %1 gibt es nicht.").arg(quoted(info.absolutePath()));
    if (!folder.isDir())
        return QStringLiteral("%1 ist kein Ordner.").arg(quoted(info.absolutePath()));
    if (info.exists() && !info.isWritable())
        return QStringLiteral("Keine Berechtigung, %1 zu \u00FCberschreiben.").arg(quoted(path));
    // The file is written next to its place and then renamed into it.
    if (!folder.isWritable())
        return QStringLiteral("Keine Berechtigung, in den Ordner %1 zu schreiben.")
            .arg(quoted(info.absolutePath()));
    return {};
}

} // namespace korvane
