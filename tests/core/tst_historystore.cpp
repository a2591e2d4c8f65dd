// The history database: aggregation, retention, the chart view, crash safety, bad files.
#include "FileBytes.h"
#include "history/HistoryQuery.h"
#include "history/HistoryStore.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <QScopeGuard>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace korvane;

namespace {

constexpr qint64 kSec = 1000;
constexpr qint64 kMin = 60 * kSec;
constexpr qint64 kDay = 24 * 3600 * kSec;
const qint64 kT0 = QDateTime(QDate(2026, 12, 5), QTime(7, 0), Qt::UTC).toMSecsSinceEpoch();

LiveSample sample(qint64 msecs, int wind, quint8 flags = 0, qint16 inside = 215) {
    return {.msecs = msecs,
            .luxNow = 100,
            .luxMean = 90,
            .insideTenths = inside,
            .outsideTenths = LiveSample::kNoTemperature,
            .wind = qint16(wind),
            .windMax = 40,
            .humidity = 0,
            .flags = flags};
}

HistoryStore::Options testOptions() {
    HistoryStore::Options o;
    o.batchMs = 3600 * 1000; // flushed by hand
    o.pruneEveryMs = 0;
    return o;
}

QStringList rows(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    QStringList out;
    if (!q.exec(sql))
        return {q.lastError().text()};
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i)
            cells << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
        out << cells.join(u' ');
    }
    return out;
}

qint64 count(const QSqlDatabase& db, const QString& table) {
    return rows(db, QStringLiteral("SELECT count(*) FROM ") + table).value(0).toLongLong();
}

// The crash child: records batches of 20000 samples as fast as it can and
// says after each commit how many samples are on disk.
int runWriterChild(const QString& path) {
    HistoryStore store(path, testOptions());
    if (!store.isRecording())
        return 3;
    qint64 t = kT0, written = 0;
    for (;;) {
        for (int i = 0; i < 20000; ++i, t += 900)
            store.append(sample(t, int(t / 900 % 50)));
        if (!store.flush())
            return 4;
        written += 20000;
        std::printf("%lld\n", written);
        std::fflush(stdout);
    }
}

} // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name = QStringLiteral("history.sqlite")) const {
        return m_dir.filePath(name);
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    // Minutes and hours from a known series: "second:wind[:flags]" per sample,
    // -1 for a lost connection; the minute rows as
    // "minute n wind_min wind_mean*10 wind_max inside_min flags".
    void aggregation_data() {
        QTest::addColumn<QStringList>("series");
        QTest::addColumn<QStringList>("minutes");
        QTest::addColumn<QString>("hour");
        QTest::newRow("one minute, rain once") << QStringList{"0:4", "20:8:1", "40:6"}
                                               << QStringList{"0 3 4 60 8 215 5"} << "0 3 4 60 8 5";
        QTest::newRow("alarm, two minutes")
            << QStringList{"10:1", "50:3:2", "61:10"}
            << QStringList{"0 2 1 20 3 215 6", "1 1 10 100 10 215 4"} << "0 3 1 47 10 6";
        QTest::newRow("silence over 5 s is a gap")
            << QStringList{"0:1", "5:1", "11:2"} << QStringList{"0 3 1 13 2 215 4"}
            << "0 3 1 13 2 4";
        QTest::newRow("lost connection is a gap")
            << QStringList{"0:1", "-1", "1:1", "70:0"}
            << QStringList{"0 2 1 10 1 215 4", "1 1 0 0 0 215 4"} << "0 3 0 7 1 4";
        QTest::newRow("no sensor stays empty")
            << QStringList{"0:1:0:x", "1:1:0:x"} << QStringList{"0 2 1 10 1 - 4"} << "0 2 1 10 1 4";
    }
    void aggregation() {
        QFETCH(QStringList, series);
        QFETCH(QStringList, minutes);
        QFETCH(QString, hour);
        const QString file =
            path(QStringLiteral("agg-%1.sqlite").arg(QTest::currentDataTag()).replace(u' ', u'_'));
        HistoryStore store(file, testOptions());
        QVERIFY(store.isRecording());
        store.append(
            sample(kT0 - 3600 * kSec, 0)); // an hour before: the first row starts a segment
        for (const QString& s : series) {
            const QStringList f = s.split(u':');
            if (f[0] == QLatin1String("-1")) {
                store.markGap();
                continue;
            }
            store.append(
                sample(kT0 + f[0].toInt() * kSec, f[1].toInt(), quint8(f.value(2).toInt()),
                       f.value(3) == QLatin1String("x") ? LiveSample::kNoTemperature : 215));
        }
        QVERIFY(store.flush());
        store.close(); // aggregates the open minute and hour
        HistoryStore reader;
        QVERIFY(reader.openForReading(file));
        const QString since = QString::number(kT0);
        QCOMPARE(rows(reader.database(),
                      QStringLiteral("SELECT (t - %1) / 60000, n, wind_min, wind_mean, wind_max, "
                                     "inside_min, flags FROM minutes WHERE t >= %1 ORDER BY t")
                          .arg(since)),
                 minutes);
        QCOMPARE(rows(reader.database(),
                      QStringLiteral("SELECT (t - %1) / 3600000, n, wind_min, wind_mean, wind_max, "
                                     "flags FROM hours WHERE t >= %1")
                          .arg(since)),
                 QStringList{hour});
    }

    // Samples older than 7 days and aggregates older than 2 years go; the
    // edge itself stays. Offsets before the newest sample.
    void retention_data() {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("minutes");
        QTest::newRow("1 day") << kDay << 2 << 2;
        QTest::newRow("7 days exactly") << 7 * kDay << 2 << 2;
        QTest::newRow("7 days and 1 ms") << 7 * kDay + 1 << 1 << 2;
        QTest::newRow("2 years exactly") << 730 * kDay << 1 << 2;
        QTest::newRow("2 years and a minute") << 730 * kDay + kMin << 1 << 1;
    }
    void retention() {
        QFETCH(qint64, age);
        QFETCH(int, samples);
        QFETCH(int, minutes);
        const QString file = path(QStringLiteral("keep-%1.sqlite").arg(age));
        HistoryStore store(file, testOptions());
        store.append(sample(kT0 - age, 1));
        store.append(sample(kT0, 2));
        QVERIFY(store.flush(true));
        QCOMPARE(count(store.database(), QStringLiteral("samples")), samples);
        QCOMPARE(count(store.database(), QStringLiteral("minutes")), minutes);
        QCOMPARE(count(store.database(), QStringLiteral("hours")), minutes);
    }

    // The chart view read in SQL: columns, gaps, rain spans, the level used.
    void view() {
        const QString file = path(QStringLiteral("view.sqlite"));
        HistoryStore store(file, testOptions());
        for (int s = 0; s < 30; ++s) // 0..29 s, rain 10..19
            store.append(sample(kT0 + s * kSec, s, s >= 10 && s < 20 ? LiveSample::Rain : 0));
        for (int s = 40; s < 60; ++s) // after 11 s of silence
            store.append(sample(kT0 + s * kSec, 100 - s));
        QVERIFY(store.flush(true));
        QString error;
        // 6 columns of 10 s: [0,10) [10,20) [20,30) [30,40) empty, [40,50) [50,60)
        const auto v = loadHistoryView(store.database(), kT0, kT0 + 60 * kSec, 6, &error);
        QVERIFY2(v, qPrintable(error));
        auto pt = [](qint64 sec, double y) { return QPointF(double(kT0 + sec * kSec), y); };
        using Curve = QList<QList<QPointF>>;
        QCOMPARE(v->curve(HistoryChannel::Wind),
                 (Curve{{pt(5, 0), pt(5, 9), pt(15, 10), pt(15, 19), pt(25, 20), pt(25, 29)},
                        {pt(45, 51), pt(45, 60), pt(55, 41), pt(55, 50)}}));
        QCOMPARE(v->curve(HistoryChannel::Inside).size(), 2);
        QCOMPARE(v->curve(HistoryChannel::Outside).size(), 0);
        QCOMPARE(v->rain, (QList<TimeSpan>{{kT0 + 10 * kSec, kT0 + 20 * kSec}}));
        // Over a day the minutes are read: one point per column with data.
        const auto day =
            loadHistoryView(store.database(), kT0 - kDay / 2, kT0 + kDay / 2, 400, &error);
        QVERIFY(day);
        QCOMPARE(day->curve(HistoryChannel::Wind).size(), 1);
        QCOMPARE(day->curve(HistoryChannel::Wind)[0].size(), 2); // min 0, max 60 of the minute
        QCOMPARE(historyLevelFor(kDay / 400), HistoryLevel::Minutes);
        QCOMPARE(historyLevelFor(30 * kDay / 400), HistoryLevel::Hours);
        QCOMPARE(historyLevelFor(3600 * kSec / 400), HistoryLevel::Samples);
    }

    // A writer killed with SIGKILL in the middle of a batch leaves a database
    // that opens, with everything committed and at most that batch missing.
    void crashSafety() {
        const QString file = path(QStringLiteral("crash.sqlite"));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVANE_HISTORY_CHILD"), file);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        qint64 committed = 0;
        while (committed < 60000 && child.waitForReadyRead(20000))
            while (child.canReadLine())
                committed = child.readLine().trimmed().toLongLong();
        QVERIFY(committed >= 60000);
        QTest::qWait(15); // inside the next batch
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        while (child.canReadLine())
            committed = std::max(committed, child.readLine().trimmed().toLongLong());
        HistoryStore store(file, testOptions()); // the dead writer's lock is stale
        QVERIFY2(store.isRecording(), qPrintable(store.lastProblem()));
        QCOMPARE(rows(store.database(), QStringLiteral("PRAGMA integrity_check")),
                 QStringList{"ok"});
        const qint64 kept = count(store.database(), QStringLiteral("samples"));
        QVERIFY2(kept >= committed && kept <= committed + 20000,
                 qPrintable(QStringLiteral("%1 kept, %2 committed").arg(kept).arg(committed)));
    }

    // Each bad file: the message, the file moved aside byte for byte or left
    // alone, whether this process records, and that it keeps working.
    void badFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("movedAside");
        QTest::addColumn<bool>("records");
        QTest::newRow("not a database")
            << "text"
            << "keine Verlaufs-Datenbank oder besch\u00E4digt" << true << true;
        QTest::newRow("corrupted")
            << "corrupt"
            << "keine Verlaufs-Datenbank oder besch\u00E4digt" << true << true;
        QTest::newRow("another program's database")
            << "foreign"
            << "keine Verlaufs-Datenbank oder besch\u00E4digt" << true << true;
        QTest::newRow("newer schema") << "newer"
                                      << "neueren Korvane-Version (Schema 7)" << false << false;
        QTest::newRow("second writer")
            << "locked"
            << "bereits von einem anderen Korvane-Programm" << false << false;
        QTest::newRow("read-only folder") << "readonly"
                                          << "kann nicht geschrieben werden" << false << false;
    }
    void badFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(bool, movedAside);
        QFETCH(bool, records);
        QTemporaryDir dir;
        QString file = dir.filePath(QStringLiteral("history.sqlite"));
        std::unique_ptr<HistoryStore> first;
        if (kind == QLatin1String("text")) {
            QVERIFY(test::writeBytes(file, QByteArray("Zeit;Wind\r\n07:00;12\r\n").repeated(40)));
        } else if (kind == QLatin1String("locked")) {
            first = std::make_unique<HistoryStore>(file, testOptions());
            first->append(sample(kT0, 5));
            QVERIFY(first->flush());
        } else if (kind == QLatin1String("readonly")) {
            // Not even root may create a file in /proc/self.
            file = QStringLiteral("/proc/self/history.sqlite");
        } else {
            {
                HistoryStore earlier(file, testOptions());
                for (int i = 0; i < 3000; ++i)
                    earlier.append(sample(kT0 + i * kSec, i % 40));
            }
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kind);
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            if (kind == QLatin1String("newer"))
                QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 7")));
            if (kind == QLatin1String("foreign"))
                QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 0")) &&
                        q.exec(QStringLiteral("DROP TABLE hours")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode = DELETE")));
            q.finish();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(kind);
            if (kind == QLatin1String("corrupt")) { // a b-tree page of the samples overwritten
                QByteArray bytes = test::fileBytes(file);
                QVERIFY(bytes.size() > 5 * 4096);
                bytes.replace(1 * 4096, 4096, QByteArray(4096, '\x5a'));
                QVERIFY(test::writeBytes(file, bytes));
            }
        }
        const QByteArray before = test::fileBytes(file);

        HistoryStore store;
        QSignalSpy problems(&store, &HistoryStore::problem);
        store.setOptions(testOptions());
        store.open(file);
        QCOMPARE(problems.count(), 1);
        const QString text = problems.at(0).at(0).toString();
        QVERIFY2(text.contains(message), qPrintable(text));
        QCOMPARE(store.isRecording(), records);
        const QString aside = HistoryDatabase::damagedName(file);
        const QString moved = aside.left(aside.lastIndexOf(QStringLiteral(".damaged-")) + 19);
        if (movedAside) {
            QVERIFY2(text.contains(QDir::toNativeSeparators(moved)), qPrintable(text));
            QCOMPARE(test::fileBytes(moved), before);
        } else if (kind != QLatin1String("readonly")) {
            QCOMPARE(test::fileBytes(file), before);
            QVERIFY(!QFileInfo::exists(moved));
        }
        // Still working: records into the fresh store, or nothing at all.
        QCOMPARE(store.append(sample(kT0 + 10 * kDay, 9)), records);
        QCOMPARE(store.flush(), records);
        QCOMPARE(problems.count(), 1);
        if (kind == QLatin1String("locked")) { // the second one still reads
            QVERIFY(store.isReadable());
            QCOMPARE(count(store.database(), QStringLiteral("samples")), 1);
        }
        store.close();
        if (kind == QLatin1String("newer"))
            QCOMPARE(test::fileBytes(file), before);
    }

    // A full disk: one message, the samples kept and written once there is
    // room again. The database's own page limit refuses an insert; a small
    // tmpfs (only where this test may mount one, as root) refuses the WAL
    // write at COMMIT.
    void fullDisk_data() {
        QTest::addColumn<bool>("tmpfs");
        QTest::newRow("page limit") << false;
        QTest::newRow("small tmpfs") << true;
    }
    void fullDisk() {
        QFETCH(bool, tmpfs);
        QTemporaryDir dir;
        auto mount = [&](const QString& options) {
            return QProcess::execute(QStringLiteral("mount"),
                                     {"-t", "tmpfs", "-o", options, "tmpfs", dir.path()}) == 0;
        };
        if (tmpfs && (::geteuid() != 0 || !mount(QStringLiteral("size=64k"))))
            QSKIP("no tmpfs can be mounted here");
        auto unmount = qScopeGuard([&] {
            if (tmpfs)
                QProcess::execute(QStringLiteral("umount"), {dir.path()});
        });
        HistoryStore::Options o = testOptions();
        o.maxPageCount = tmpfs ? 0 : 12;
        HistoryStore store(dir.filePath(QStringLiteral("full.sqlite")), o);
        QVERIFY(store.isRecording());
        QSignalSpy problems(&store, &HistoryStore::problem);
        qint64 t = kT0;
        bool refused = false;
        for (int batch = 0; batch < 40 && !refused; ++batch) {
            for (int i = 0; i < 200; ++i, t += 900)
                store.append(sample(t, i % 30));
            refused = !store.flush();
        }
        QVERIFY(refused);
        const int pending = store.pendingCount();
        QVERIFY(pending > 0);
        for (int i = 0; i < 200; ++i, t += 900)
            store.append(sample(t, 1));
        QVERIFY(!store.flush());
        QCOMPARE(problems.count(), 1);
        QVERIFY2(problems.at(0).at(0).toString().startsWith(
                     QStringLiteral("Der Datentr\u00E4ger ist voll")),
                 qPrintable(problems.at(0).at(0).toString()));
        const qint64 before = count(store.database(), QStringLiteral("samples"));
        if (tmpfs)
            QVERIFY(mount(QStringLiteral("remount,size=4m")));
        else
            QVERIFY(
                QSqlQuery(store.database()).exec(QStringLiteral("PRAGMA max_page_count = 100000")));
        QVERIFY(store.flush());
        QCOMPARE(count(store.database(), QStringLiteral("samples")), before + pending + 200);
        store.close();
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("KORVANE_HISTORY_CHILD")) {
        QCoreApplication app(argc, argv);
        return runWriterChild(qEnvironmentVariable("KORVANE_HISTORY_CHILD"));
    }
    QCoreApplication app(argc, argv);
    TestHistoryStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_historystore.moc"
