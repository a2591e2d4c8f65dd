#pragma once

#include <QByteArray>
#include <QString>

namespace korvane {

// Why a file cannot be read or written, as a German sentence that names the
// path; empty when nothing stands in the way. They look before the attempt,
// so a command can refuse before it starts a long transfer. Only a regular
// file is read.
QString fileReadProblem(const QString& path);
// Writing into the file in place (it may be a FIFO or a device).
QString fileWriteProblem(const QString& path);
// Replacing the file by a new one written next to it (QSaveFile): the path
// must be a regular file or none, in a folder that takes a new file, which a
// probe file tries (the permission bits do not tell for root or /proc).
QString fileReplaceProblem(const QString& path);

// True when `path` names nothing at all (the "File not found" case).
bool fileIsMissing(const QString& path);

// A whole file read by readRegularFile(): its bytes, or why it was refused.
struct FileContent {
    QByteArray bytes;
    QString problem; // German, naming the path; empty when read
    bool ok() const { return problem.isEmpty(); }
};

// Reads `path` when it is a regular file of at most `maxBytes`. A FIFO, a
// device, a socket or a larger file is refused at once, without waiting for
// a writer or reading further than `maxBytes` + 1.
FileContent readRegularFile(const QString& path, qint64 maxBytes);

} // namespace korvane
