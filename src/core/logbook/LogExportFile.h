#pragma once

#include <QSaveFile>
#include <QString>
#include <memory>

namespace korvane {

// A logbook export being written: Windows-1252 text, CR LF line ends. The
// lines go to a temporary file next to the target, which replaces the target
// only on commit(); a transfer that breaks off leaves the target untouched.
class LogExportFile {
public:
    LogExportFile() = default;
    ~LogExportFile();
    LogExportFile(const LogExportFile&) = delete;
    LogExportFile& operator=(const LogExportFile&) = delete;

    // Creates the temporary file; on failure returns false with a user text.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_file != nullptr; }
    QString path() const { return m_path; }
    void writeLine(const QString& line);
    // Moves the finished file into place; on failure returns false with a user text.
    bool commit(QString* error);
    // Drops the temporary file; the target keeps what it had.
    void discard();

private:
    std::unique_ptr<QSaveFile> m_file;
    QString m_path;
};

} // namespace korvane
