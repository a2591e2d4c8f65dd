#pragma once

#include "history/HistoryDatabase.h"
#include "history/LiveSample.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

namespace korvane {

class ControllerSession;

// The history on disk, shared by every front: a front creates one with the
// database's path and connects it to its session. Every live-values reply
// becomes a sample; samples are written in one transaction per batch (every
// 10 s), so a power cut loses at most the last batch. Samples are kept for
// 7 days, per-minute and per-hour aggregates for 2 years; a lost
// connection, a port change or more than 5 s without data is a gap.
// Problems (a damaged or foreign file, another recording process, a
// read-only folder, a full disk) are reported once each through problem();
// the front goes on working, and the store goes on reading where it can.
class HistoryStore : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // UTC milliseconds since the epoch

    struct Options {
        qint64 batchMs = 10 * 1000;
        qint64 gapMs = 5000;
        qint64 samplesKeptMs = 7LL * 24 * 3600 * 1000;
        qint64 aggregatesKeptMs = 2LL * 365 * 24 * 3600 * 1000;
        qint64 pruneEveryMs = 3600 * 1000; // of sample time
        // Samples held in memory while the disk refuses them (a day at the poll rate).
        int maxPending = 100000;
        // Tests: a database that may not grow beyond this many pages is a full disk.
        int maxPageCount = 0;
    };

    // The desktop's database, also the default of `korvane-cli history`:
    // ~/.local/share/Korvane/history.sqlite (the desktop's AppDataLocation).
    static QString defaultPath();

    explicit HistoryStore(QObject* parent = nullptr);
    HistoryStore(const QString& path, const Options& options, QObject* parent = nullptr);
    ~HistoryStore() override;

    // Opens `path` for recording (or for reading only, see above). A problem
    // is emitted and returned by lastProblem(). Returns isReadable().
    bool open(const QString& path);
    bool openForReading(const QString& path);
    // Writes what is pending, aggregates the last minute and hour, closes.
    void close();

    bool isRecording() const { return m_db.canRecord(); }
    bool isReadable() const { return m_db.isOpen(); }
    const QSqlDatabase& database() const { return m_db.db(); }
    const QString& path() const { return m_db.path(); }
    const QString& lastProblem() const { return m_lastProblem; }
    const Options& options() const { return m_options; }
    void setOptions(const Options& options);

    // Records the session's live values stamped by `clock` (now by default).
    void recordFrom(ControllerSession& session, Clock clock = {});

    // Queues a sample; one not newer than the last is refused (false). A
    // sample marked SegmentStart follows a gap.
    bool append(LiveSample sample);
    // The next sample starts a new segment.
    void markGap() { m_gapPending = true; }
    int pendingCount() const { return int(m_pending.size()); }
    // Writes the pending samples as one transaction; `closing` also
    // aggregates the minute and hour not yet complete.
    bool flush(bool closing = false);

Q_SIGNALS:
    void problem(const QString& message);
    void batchWritten(int samples);

private:
    void report(const QString& message);
    bool writeBatch(bool closing, QString* error, bool* damaged, bool* full);
    void readPositions();

    Options m_options;
    HistoryDatabase m_db;
    QTimer m_batchTimer;
    std::vector<LiveSample> m_pending;
    qint64 m_last = 0;         // newest sample accepted
    qint64 m_minutesFrom = -1; // first minute not yet aggregated for good
    qint64 m_hoursFrom = -1;   // first hour likewise
    qint64 m_lastPrune = -1;
    bool m_gapPending = true;    // the first sample after opening follows a gap
    bool m_fullReported = false; // one message per episode of a full disk
    QString m_lastProblem;
    QList<QMetaObject::Connection> m_sessionConnections;
};

} // namespace korvane
