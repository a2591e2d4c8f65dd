#include "files/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

QString quoted(const QString& path) {
    return QStringLiteral("\u201E%1\u201C").arg(QDir::toNativeSeparators(path));
}

// What an errno of a file operation means, in German.
QString errnoReason(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Berechtigung");
    case EROFS:
        return QStringLiteral("das Dateisystem ist schreibgesch\u00FCtzt");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("kein Platz mehr auf dem Datentr\u00E4ger");
    case ENOENT:
        return QStringLiteral("das Dateisystem nimmt dort keine neuen Dateien an");
    case ENOTDIR:
        return QStringLiteral("ein Teil des Pfads ist kein Ordner");
    case ENAMETOOLONG:
        return QStringLiteral("der Name ist zu lang");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("zu viele offene Dateien");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler");
    default:
        return QStringLiteral("Systemfehler Nr. %1").arg(error);
    }
}

// The kind of a file that is no regular one, for the message that refuses it.
QString kindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return QStringLiteral("eine Pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("eine Ger\u00E4tedatei");
    if (S_ISSOCK(mode))
        return QStringLiteral("ein Socket");
    if (S_ISDIR(mode))
        return QStringLiteral("ein Ordner");
    return QStringLiteral("keine Datei mit Inhalt");
}

QString notRegularText(const QString& path, mode_t mode) {
    return QStringLiteral("%1 ist keine gew\u00F6hnliche Datei, sondern %2.")
        .arg(quoted(path), kindOf(mode));
}

// Why `path` (following links) is no regular file; empty when it is one or
// when it cannot be looked at.
QString notRegularProblem(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return notRegularText(path, st.st_mode);
}

// Creates and removes a file in `folder`, as a save does next to its target.
QString folderTakesNoFile(const QString& folder) {
    QByteArray probe = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".korvane-XXXXXX")));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return QStringLiteral("In den Ordner %1 kann keine Datei geschrieben werden (%2).")
            .arg(quoted(folder), errnoReason(errno));
    ::close(fd);
    ::unlink(probe.constData());
    return {};
}

QString sizeText(qint64 bytes) {
    return QLocale(QLocale::German).toString(bytes);
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
    if (const QString problem = notRegularProblem(path); !problem.isEmpty())
        return problem;
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

QString fileReplaceProblem(const QString& path) {
    if (const QString problem = fileWriteProblem(path); !problem.isEmpty())
        return problem;
    const QFileInfo info(path);
    if (info.exists()) {
        if (const QString problem = notRegularProblem(path); !problem.isEmpty())
            return problem + QStringLiteral(" Sie kann nicht ersetzt werden.");
    }
    if (const QString problem = folderTakesNoFile(info.absolutePath()); !problem.isEmpty())
        return QStringLiteral("%1 kann nicht gespeichert werden: ").arg(quoted(path)) + problem;
    return {};
}

FileContent readRegularFile(const QString& path, qint64 maxBytes) {
    FileContent content;
    content.problem = fileReadProblem(path);
    if (!content.ok())
        return content;
    // Non-blocking, so that a FIFO put in the file's place after the check
    // cannot make the open wait for a writer; the descriptor is checked again.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        content.problem =
            QStringLiteral("Kann %1 nicht \u00F6ffnen: %2.").arg(quoted(path), errnoReason(errno));
        return content;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        content.problem = notRegularText(path, st.st_mode);
        return content;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        content.problem = QStringLiteral("Kann %1 nicht \u00F6ffnen.").arg(quoted(path));
        return content;
    }
    const QString tooLarge =
        QStringLiteral("%1 ist zu gro\u00DF (mehr als %2 Bytes) und wird nicht gelesen.")
            .arg(quoted(path), sizeText(maxBytes));
    if (st.st_size > maxBytes) {
        content.problem = tooLarge;
        return content;
    }
    // A file that grows while it is read is cut off at the limit all the same.
    content.bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        content.bytes.clear();
        content.problem =
            QStringLiteral("Fehler beim Lesen von %1: Ein-/Ausgabefehler.").arg(quoted(path));
    } else if (content.bytes.size() > maxBytes) {
        content.bytes.clear();
        content.problem = tooLarge;
    }
    return content;
}

} // namespace korvane
