#pragma once

#include <QSqlDatabase>
#include <QString>
#include <memory>

class QLockFile;
class QSqlError;

namespace korvane {

// The SQLite file of the live-value history, opened for recording or for
// reading. Recording takes a lock file next to the database (`<file>.lock`),
// so only one process writes; a second one is told so and may still read.
// A file that is no database or is corrupted is moved aside byte for byte to
// `<file>.damaged-<yyyy-MM-dd>` (with its -wal and -shm) before a fresh store
// starts; a file of a newer schema is left untouched and not used.
class HistoryDatabase {
public:
    static constexpr int kSchemaVersion = 1;
    enum class Mode { Record, Read };

    HistoryDatabase();
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // Opens `path`. Recording falls back to reading when another process
    // records or the folder is read-only. Every problem is a German sentence
    // in *message (empty when all went well). Returns isOpen().
    bool open(const QString& path, Mode mode, QString* message);
    void close();

    bool isOpen() const { return m_db.isValid() && m_db.isOpen(); }
    bool canRecord() const { return isOpen() && m_recording; }
    QSqlDatabase& db() { return m_db; }
    const QSqlDatabase& db() const { return m_db; }
    const QString& path() const { return m_path; }

    // While recording: moves the damaged file aside and starts a fresh one.
    bool replaceDamaged(QString* message);

    // SQLite's verdicts on a failed statement.
    static bool isDamage(const QSqlError& error);
    static bool isDiskFull(const QSqlError& error);

    // `<file>.damaged-<date>` that is still free (a suffix -2, -3... when taken).
    static QString damagedName(const QString& path);

private:
    bool openConnection(bool readOnly);
    // Whether the open file is a usable history: its schema version, its tables
    // and both ends of each (*version set; *error on a failed read).
    enum class Check { Ok, Damaged, Newer, Failed };
    Check check(int* version, QString* error);
    bool createSchema(QString* error);
    bool openForReading(QString* message);
    bool moveAside(QString* target, QString* error);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    std::unique_ptr<QLockFile> m_lock;
    bool m_recording = false;
};

} // namespace korvane
