#include "history/HistoryStore.h"

#include "history/HistorySchema.h"
#include "session/ControllerSession.h"

#include <QDateTime>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace korvane {
namespace {

constexpr qint64 kMinute = 60 * 1000;
constexpr qint64 kHour = 60 * kMinute;

qint64 floorTo(qint64 t, qint64 period) {
    return t / period * period;
}

QVariant orNull(bool present, int value) {
    return present ? QVariant(value) : QVariant(QMetaType::fromType<int>());
}

// The newest row of `table` (or the floored oldest of `fallback`), -1 when empty.
qint64 firstOpen(QSqlDatabase& db, const QString& table, const QString& fallback, qint64 period) {
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT max(t) FROM ") + table) && q.next() && !q.value(0).isNull())
        return q.value(0).toLongLong();
    if (q.exec(QStringLiteral("SELECT min(t) FROM ") + fallback) && q.next() &&
        !q.value(0).isNull())
        return floorTo(q.value(0).toLongLong(), period);
    return -1;
}

} // namespace

QString HistoryStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Korvane/history.sqlite");
}

HistoryStore::HistoryStore(QObject* parent) : QObject(parent) {
    m_batchTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_batchTimer, &QTimer::timeout, this, [this] { flush(); });
}

HistoryStore::HistoryStore(const QString& path, const Options& options, QObject* parent)
    : HistoryStore(parent) {
    m_options = options;
    open(path);
}

HistoryStore::~HistoryStore() {
    close();
}

void HistoryStore::setOptions(const Options& options) {
    m_options = options;
    if (m_batchTimer.isActive())
        m_batchTimer.start(int(m_options.batchMs));
}

void HistoryStore::report(const QString& message) {
    m_lastProblem = message;
    Q_EMIT problem(message);
}

bool HistoryStore::open(const QString& path) {
    close();
    QString message;
    m_db.open(path, HistoryDatabase::Mode::Record, &message);
    if (!message.isEmpty())
        report(message);
    if (m_db.canRecord()) {
        if (m_options.maxPageCount > 0)
            QSqlQuery(m_db.db()).exec(
                QStringLiteral("PRAGMA max_page_count = %1").arg(m_options.maxPageCount));
        readPositions();
        m_batchTimer.start(int(m_options.batchMs));
    }
    return isReadable();
}

bool HistoryStore::openForReading(const QString& path) {
    close();
    QString message;
    m_db.open(path, HistoryDatabase::Mode::Read, &message);
    if (!message.isEmpty())
        report(message);
    return isReadable();
}

void HistoryStore::close() {
    m_batchTimer.stop();
    if (m_db.canRecord())
        flush(true);
    m_db.close();
    m_pending.clear();
    m_gapPending = true;
}

void HistoryStore::readPositions() {
    QSqlQuery q(m_db.db());
    m_last = q.exec(QStringLiteral("SELECT max(t) FROM samples")) && q.next()
                 ? q.value(0).toLongLong()
                 : 0;
    m_minutesFrom =
        firstOpen(m_db.db(), QStringLiteral("minutes"), QStringLiteral("samples"), kMinute);
    m_hoursFrom = firstOpen(m_db.db(), QStringLiteral("hours"), QStringLiteral("minutes"), kHour);
    m_lastPrune = -1;
    m_gapPending = true;
}

void HistoryStore::recordFrom(ControllerSession& session, Clock clock) {
    for (const auto& c : std::as_const(m_sessionConnections))
        disconnect(c);
    if (!clock)
        clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    m_sessionConnections = {
        connect(&session, &ControllerSession::liveValues, this,
                [this, clock, &session](const LiveDisplay& display) {
                    // Which sensors there are follows from the model text,
                    // which a connected session knows.
                    if (session.isConnected())
                        append(sampleFromReply(display.raw, session.model(), clock()));
                }),
        connect(&session, &ControllerSession::connectionLost, this, [this] { markGap(); }),
        connect(&session, &ControllerSession::portReleasing, this, [this] { markGap(); })};
}

bool HistoryStore::append(LiveSample sample) {
    if (!m_db.canRecord() || sample.msecs <= m_last)
        return false;
    const bool gapBefore = sample.startsSegment(); // a recorder that saw a gap
    sample.flags &= ~LiveSample::SegmentStart;
    if (m_gapPending || gapBefore || sample.msecs - m_last > m_options.gapMs)
        sample.flags |= LiveSample::SegmentStart;
    m_gapPending = false;
    m_last = sample.msecs;
    m_pending.push_back(sample);
    if (int(m_pending.size()) > m_options.maxPending) {
        // The disk has refused samples for a long time: the oldest go, and
        // what remains starts after a gap.
        m_pending.erase(m_pending.begin(),
                        m_pending.begin() + (int(m_pending.size()) - m_options.maxPending));
        m_pending.front().flags |= LiveSample::SegmentStart;
    }
    return true;
}

bool HistoryStore::flush(bool closing) {
    if (!m_db.canRecord())
        return false;
    if (m_pending.empty() && !closing)
        return true;
    QString error;
    bool damaged = false, full = false;
    if (writeBatch(closing, &error, &damaged, &full)) {
        m_fullReported = false;
        return true;
    }
    if (damaged) {
        QString message;
        const bool fresh = m_db.replaceDamaged(&message);
        report(message);
        if (!fresh)
            return false;
        readPositions();
        m_last = m_pending.empty() ? 0 : m_pending.back().msecs;
        if (!m_pending.empty())
            m_pending.front().flags |= LiveSample::SegmentStart;
        return writeBatch(closing, &error, &damaged, &full);
    }
    if (!m_fullReported) {
        m_fullReported = true;
        const QString where = QDir::toNativeSeparators(m_db.path());
        report(full ? QStringLiteral("Der Datentr\u00E4ger ist voll: der Verlauf kann nicht in %1 "
                                     "gespeichert werden. Die Werte werden aufgehoben und "
                                     "geschrieben, sobald wieder Platz ist.")
                          .arg(where)
                    : QStringLiteral("Der Verlauf kann nicht in %1 gespeichert werden: %2. Die "
                                     "Werte werden aufgehoben und sp\u00E4ter geschrieben.")
                          .arg(where, error));
    }
    return false;
}

bool HistoryStore::writeBatch(bool closing, QString* error, bool* damaged, bool* full) {
    QSqlDatabase& db = m_db.db();
    QSqlError failure;
    qint64 minutesTo = m_minutesFrom, hoursTo = m_hoursFrom;
    const qint64 newest = m_pending.empty() ? m_last : m_pending.back().msecs;
    const bool prune = m_lastPrune < 0 || newest - m_lastPrune >= m_options.pruneEveryMs;
    auto work = [&] {
        QSqlQuery q(db);
        // Many rows per statement: the driver's cost is per statement.
        constexpr int kRowsPerInsert = 64;
        int prepared = 0;
        for (std::size_t first = 0; first < m_pending.size(); first += kRowsPerInsert) {
            const int rows = int(std::min<std::size_t>(kRowsPerInsert, m_pending.size() - first));
            if (rows != prepared) {
                QStringList values;
                for (int i = 0; i < rows; ++i)
                    values << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)");
                q.prepare(QStringLiteral("INSERT OR REPLACE INTO samples (t, %1, flags) VALUES %2")
                              .arg(historyValueColumns().join(QStringLiteral(", ")),
                                   values.join(QStringLiteral(", "))));
                prepared = rows;
            }
            for (int i = 0; i < rows; ++i) {
                const LiveSample& s = m_pending[first + i];
                const int at = 9 * i;
                q.bindValue(at, s.msecs);
                // A value the controller has no sensor for is no value.
                const bool outdoor = s.hasOutdoorSensors();
                q.bindValue(at + 1, orNull(outdoor, s.luxNow));
                q.bindValue(at + 2, orNull(outdoor, s.luxMean));
                q.bindValue(at + 3,
                            orNull(s.insideTenths != LiveSample::kNoTemperature, s.insideTenths));
                q.bindValue(at + 4,
                            orNull(s.outsideTenths != LiveSample::kNoTemperature, s.outsideTenths));
                q.bindValue(at + 5, orNull(outdoor, s.wind));
                q.bindValue(at + 6, orNull(outdoor, s.windMax));
                q.bindValue(at + 7, orNull(s.humidity != 0, s.humidity));
                q.bindValue(at + 8, int(s.flags));
            }
            if (!q.exec())
                return failure = q.lastError(), false;
        }
        if (newest <= 0)
            return true;
        const qint64 minutesFrom =
            m_minutesFrom >= 0
                ? m_minutesFrom
                : floorTo(m_pending.empty() ? newest : m_pending.front().msecs, kMinute);
        minutesTo = floorTo(newest, kMinute) + (closing ? kMinute : 0);
        if (minutesTo > minutesFrom) {
            q.prepare(
                historyAggregateSql(QStringLiteral("samples"), QStringLiteral("minutes"), kMinute));
            q.bindValue(0, minutesFrom);
            q.bindValue(1, minutesTo);
            if (!q.exec())
                return failure = q.lastError(), false;
        }
        const qint64 hoursFrom = m_hoursFrom >= 0 ? m_hoursFrom : floorTo(minutesFrom, kHour);
        hoursTo = closing ? floorTo(newest, kHour) + kHour : floorTo(minutesTo, kHour);
        if (hoursTo > hoursFrom) {
            q.prepare(
                historyAggregateSql(QStringLiteral("minutes"), QStringLiteral("hours"), kHour));
            q.bindValue(0, hoursFrom);
            q.bindValue(1, hoursTo);
            if (!q.exec())
                return failure = q.lastError(), false;
        }
        if (prune) {
            const qint64 samplesEdge = newest - m_options.samplesKeptMs;
            const qint64 aggregatesEdge = newest - m_options.aggregatesKeptMs;
            for (const auto& [table, edge] : {std::pair{QStringLiteral("samples"), samplesEdge},
                                              std::pair{QStringLiteral("minutes"), aggregatesEdge},
                                              std::pair{QStringLiteral("hours"), aggregatesEdge}}) {
                if (!q.exec(QStringLiteral("DELETE FROM %1 WHERE t < %2").arg(table).arg(edge)))
                    return failure = q.lastError(), false;
            }
        }
        return true;
    };
    // BEGIN and COMMIT as statements: the driver's commit() drops SQLite's
    // own error code, which tells a full disk (a WAL write fails at COMMIT).
    QSqlQuery control(db);
    auto run = [&](const char* sql) {
        if (control.exec(QLatin1String(sql)))
            return true;
        failure = control.lastError();
        return false;
    };
    if (run("BEGIN") && work() && run("COMMIT")) {
        const int written = int(m_pending.size());
        m_pending.clear();
        // A closing batch aggregated the open minute and hour: they are
        // aggregated again, whole, when recording goes on.
        m_minutesFrom = closing ? floorTo(newest, kMinute) : std::max(m_minutesFrom, minutesTo);
        m_hoursFrom = closing ? floorTo(newest, kHour) : std::max(m_hoursFrom, hoursTo);
        if (prune)
            m_lastPrune = newest;
        Q_EMIT batchWritten(written);
        return true;
    }
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    *error = failure.text();
    *damaged = HistoryDatabase::isDamage(failure);
    *full = HistoryDatabase::isDiskFull(failure);
    return false;
}

} // namespace korvane
