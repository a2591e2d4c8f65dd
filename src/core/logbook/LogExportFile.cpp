#include "logbook/LogExportFile.h"

#include "files/FileAccess.h"
#include "text/Cp1252.h"

#include <QDir>

namespace korvane {
namespace {

QString failureText(const QString& what, const QString& path, const QString& reason) {
    return what + QStringLiteral(":\n") + QDir::toNativeSeparators(path) + QStringLiteral("\n") +
           reason;
}

} // namespace

LogExportFile::~LogExportFile() {
    discard();
}

bool LogExportFile::open(const QString& path, QString* error) {
    discard();
    // What stands in the way, in German with the path, rather than the
    // system's bare text after the attempt.
    if (const QString problem = fileReplaceProblem(path); !problem.isEmpty()) {
        if (error)
            *error = QStringLiteral("Kann Logbuch-File nicht anlegen:\n") + problem;
        return false;
    }
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly)) {
        if (error)
            *error = failureText(QStringLiteral("Kann Logbuch-File nicht anlegen"), path,
                                 file->errorString());
        return false;
    }
    m_file = std::move(file);
    m_path = path;
    return true;
}

void LogExportFile::writeLine(const QString& line) {
    if (!m_file)
        return;
    QByteArray bytes = toCp1252(line);
    bytes += "\r\n";
    m_file->write(bytes);
}

bool LogExportFile::commit(QString* error) {
    if (!m_file) {
        if (error)
            *error = QStringLiteral("Kein Logbuch-File geöffnet");
        return false;
    }
    const bool ok = m_file->commit();
    if (!ok && error)
        *error = failureText(QStringLiteral("Kann Logbuch-File nicht schreiben"), m_path,
                             m_file->errorString());
    m_file.reset();
    return ok;
}

void LogExportFile::discard() {
    if (m_file)
        m_file->cancelWriting();
    m_file.reset(); // an uncommitted QSaveFile removes its temporary file
}

} // namespace korvane
