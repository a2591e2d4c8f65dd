#include "history/HistoryDatabase.h"

#include "history/HistorySchema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlError>
#include <QSqlQuery>

namespace korvane {
namespace {

// SQLite's primary result codes, as the driver reports them.
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteNotADatabase = 26;

int primaryCode(const QSqlError& error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString notRecordingFolder(const QString& path) {
    return QStringLiteral("Im Ordner %1 kann nicht geschrieben werden: der Verlauf wird nicht "
                          "aufgezeichnet.")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
}

int g_connections = 0;

} // namespace

HistoryDatabase::HistoryDatabase() = default;

HistoryDatabase::~HistoryDatabase() {
    close();
}

bool HistoryDatabase::isDamage(const QSqlError& error) {
    const int code = primaryCode(error);
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

bool HistoryDatabase::isDiskFull(const QSqlError& error) {
    return primaryCode(error) == kSqliteFull;
}

QString HistoryDatabase::damagedName(const QString& path) {
    const QString base = path + QStringLiteral(".damaged-") +
                         QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-wal"));
         ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

bool HistoryDatabase::openConnection(bool readOnly) {
    m_connection = QStringLiteral("korvane-history-%1").arg(++g_connections);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(readOnly
                               ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000")
                               : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    return m_db.open();
}

void HistoryDatabase::close() {
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_lock.reset();
    m_recording = false;
}

HistoryDatabase::Check HistoryDatabase::check(int* version, QString* error) {
    QSqlQuery q(m_db);
    auto failed = [&] {
        *error = q.lastError().text();
        return isDamage(q.lastError()) ? Check::Damaged : Check::Failed;
    };
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return failed();
    *version = q.value(0).toInt();
    if (*version > kSchemaVersion)
        return Check::Newer;
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return failed();
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    tables.sort();
    // A database of another program, or ours with tables missing.
    if (*version == 0 ? !tables.isEmpty() : tables != historyTables())
        return Check::Damaged;
    // Both edges of every table: what recording touches first. A full check
    // would read the whole file (seconds for a year); damage elsewhere shows
    // when a read or a write meets it.
    for (const QString& table : std::as_const(tables))
        for (const char* edge : {"min", "max"}) // each alone reads one path of the tree
            if (!q.exec(QStringLiteral("SELECT %1(t) FROM %2").arg(QLatin1String(edge), table)) ||
                !q.next())
                return failed();
    return Check::Ok;
}

bool HistoryDatabase::createSchema(QString* error) {
    QSqlQuery q(m_db);
    auto run = [&](const QString& sql) {
        if (q.exec(sql))
            return true;
        *error = q.lastError().text();
        return false;
    };
    if (!run(QStringLiteral("PRAGMA journal_mode = WAL")) ||
        !run(QStringLiteral("PRAGMA synchronous = FULL")))
        return false;
    if (!run(QStringLiteral("PRAGMA user_version")) || !q.next())
        return false;
    if (q.value(0).toInt() == kSchemaVersion)
        return true;
    if (!m_db.transaction()) {
        *error = m_db.lastError().text();
        return false;
    }
    for (const QString& sql : historySchemaStatements())
        if (!run(sql)) {
            m_db.rollback();
            return false;
        }
    if (!run(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)) || !m_db.commit()) {
        m_db.rollback();
        return false;
    }
    return true;
}

bool HistoryDatabase::moveAside(QString* target, QString* error) {
    *target = damagedName(m_path);
    QFile file(m_path);
    if (!file.rename(*target)) {
        *error = file.errorString();
        return false;
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString part = m_path + QLatin1String(suffix);
        if (QFileInfo::exists(part))
            QFile::rename(part, *target + QLatin1String(suffix));
    }
    return true;
}

bool HistoryDatabase::replaceDamaged(QString* message) {
    if (!m_recording)
        return false;
    m_db.close();
    QString target, error;
    if (!moveAside(&target, &error)) {
        *message =
            QStringLiteral("Die Verlaufsdatei %1 ist besch\u00E4digt und kann nicht "
                           "beiseitegelegt werden (%2): der Verlauf wird nicht aufgezeichnet.")
                .arg(nativePath(m_path), error);
        close();
        return false;
    }
    *message =
        QStringLiteral("Die Verlaufsdatei %1 ist keine Verlaufs-Datenbank oder besch\u00E4digt. "
                       "Sie wurde unver\u00E4ndert nach %2 verschoben; ein neuer Verlauf beginnt.")
            .arg(nativePath(m_path), nativePath(target));
    QString schemaError;
    if (!m_db.open() || !createSchema(&schemaError)) {
        *message += QStringLiteral(" Der neue Verlauf kann nicht angelegt werden: %1")
                        .arg(schemaError.isEmpty() ? m_db.lastError().text() : schemaError);
        close();
        return false;
    }
    return true;
}

bool HistoryDatabase::openForReading(QString* message) {
    if (m_db.isValid())
        close();
    m_recording = false;
    if (!QFileInfo::exists(m_path))
        return false;
    int version = 0;
    QString error;
    if (!openConnection(true) || check(&version, &error) != Check::Ok) {
        const QString text =
            QStringLiteral("Der Verlauf %1 kann nicht gelesen werden%2.")
                .arg(nativePath(m_path), version > kSchemaVersion
                                             ? QStringLiteral(": er stammt von einer neueren "
                                                              "Korvane-Version")
                                             : QStringLiteral(": keine Verlaufs-Datenbank oder "
                                                              "besch\u00E4digt"));
        *message = message->isEmpty() ? text : *message + u' ' + text;
        close();
        return false;
    }
    return true;
}

bool HistoryDatabase::open(const QString& path, Mode mode, QString* message) {
    close();
    m_path = path;
    message->clear();
    if (mode == Mode::Read)
        return openForReading(message);

    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *message = notRecordingFolder(path);
        return false;
    }
    m_lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0); // a live writer's lock never goes stale; a dead one's does
    if (!m_lock->tryLock(0)) {
        const bool held = m_lock->error() == QLockFile::LockFailedError;
        m_lock.reset();
        *message = held ? QStringLiteral("Der Verlauf %1 wird bereits von einem anderen "
                                         "Korvane-Programm aufgezeichnet. Dieses Programm "
                                         "zeichnet nichts auf; Anzeigen und Exportieren gehen "
                                         "weiter.")
                              .arg(nativePath(path))
                        : notRecordingFolder(path);
        openForReading(message);
        return isOpen();
    }

    m_recording = true;
    if (!openConnection(false)) {
        *message = QStringLiteral("Der Verlauf %1 kann nicht ge\u00F6ffnet werden: %2")
                       .arg(nativePath(path), m_db.lastError().text());
        close();
        return false;
    }
    int version = 0;
    QString error;
    switch (check(&version, &error)) {
    case Check::Ok:
        break;
    case Check::Damaged:
        if (!replaceDamaged(message))
            return false;
        break;
    case Check::Newer:
        *message = QStringLiteral("Die Verlaufsdatei %1 stammt von einer neueren Korvane-Version "
                                  "(Schema %2). Sie bleibt unver\u00E4ndert; es wird nichts "
                                  "aufgezeichnet.")
                       .arg(nativePath(path))
                       .arg(version);
        close();
        return false;
    case Check::Failed:
        *message = QStringLiteral("Der Verlauf %1 kann nicht ge\u00F6ffnet werden: %2")
                       .arg(nativePath(path), error);
        close();
        return false;
    }
    if (!createSchema(&error)) {
        const bool readOnly = primaryCode(m_db.lastError()) == kSqliteReadOnly ||
                              error.contains(QLatin1String("readonly"));
        *message = readOnly ? QStringLiteral("Der Verlauf %1 ist schreibgesch\u00FCtzt: es wird "
                                             "nichts aufgezeichnet.")
                                  .arg(nativePath(path))
                            : QStringLiteral("Der Verlauf %1 kann nicht angelegt werden: %2")
                                  .arg(nativePath(path), error);
        openForReading(message);
        return isOpen();
    }
    return true;
}

} // namespace korvane
