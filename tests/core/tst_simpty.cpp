// The simulator on a pseudo-terminal, talked to through the program's own
// serial link: round trip, reopening, unplugging, line faults, pacing, the
// device link.

#include "Simulator.h"
#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"
#include "serial/QtSerialLink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

// The program's side of the line: a serial link and a frame receiver.
class Program {
public:
    explicit Program(const QString& device) {
        QString error;
        opened = link.open(device, &error);
        if (!opened)
            qWarning("open failed: %s", qPrintable(error));
        QObject::connect(&link, &SerialLink::bytesArrived, [this](qsizetype) {
            const QByteArray bytes = link.readAll();
            raw += bytes;
            for (const ReceiverEvent& e : receiver.feed(bytes))
                if (e.kind == ReceiverEvent::Kind::Frame)
                    frames.append({e.code, e.payload});
        });
    }
    QList<QPair<QByteArray, QByteArray>> frames;
    QByteArray raw;
    QtSerialLink link;
    FrameReceiver receiver;
    bool opened = false;
};

QByteArray codes(const QList<QPair<QByteArray, QByteArray>>& frames) {
    QByteArray out;
    for (const auto& f : frames)
        out += f.first;
    return out;
}

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip() {
        Simulator sim;
        QString error;
        QVERIFY2(sim.start(QString(), &error), qPrintable(error));
        QVERIFY(sim.slavePath().startsWith(QLatin1String("/dev/")));
        Program program(sim.slavePath());
        QVERIFY(program.opened);
        program.link.write("smo\r");
        QTRY_COMPARE(program.frames.size(), 1);
        QCOMPARE(program.frames[0].first, QByteArray("smo"));
        QCOMPARE(program.frames[0].second, QByteArray("VX-4000 W 8 8ST"));
        QCOMPARE(program.raw, QByteArray("start_smoVX-4000 W 8 8STende_"));
    }

    // The program closes and reopens the port; the simulator keeps answering.
    void reopen() {
        Simulator sim(SimModel(SimModel::Variant::Sensor));
        QVERIFY(sim.start());
        for (int round = 0; round < 3; ++round) {
            Program program(sim.slavePath());
            QVERIFY(program.opened);
            program.link.write("sfi\rsdt\r");
            QTRY_COMPARE(program.frames.size(), 2);
            QCOMPARE(codes(program.frames), QByteArray("sfisdt"));
        }
    }

    void unplugAndReplug() {
        Simulator sim;
        QVERIFY(sim.start());
        Program program(sim.slavePath());
        sim.setAnswering(false);
        program.link.write("sfi\rsmo\r");
        QTest::qWait(150);
        QVERIFY(program.raw.isEmpty());
        sim.setAnswering(true);
        program.link.write("sti\r");
        QTRY_COMPARE(program.frames.size(), 1);
        QCOMPARE(program.frames[0].first, QByteArray("sti"));
    }

    void silentFault() {
        Simulator sim;
        QVERIFY(sim.start());
        sim.setFaults(SimFaults{.silent = true});
        Program program(sim.slavePath());
        program.link.write("sfi\rsmo\r");
        QTest::qWait(150);
        QVERIFY(program.raw.isEmpty());
    }

    // Junk between frames and frames in pieces: the receiver still gets every
    // frame intact and in order.
    void junkAndSplitFrames() {
        Simulator sim(SimModel(SimModel::Variant::Sensor, 4, 2));
        QVERIFY(sim.start());
        sim.setFaults(SimFaults{.junk = true, .split = true});
        Program program(sim.slavePath());
        program.link.write("sbpsmnsfs");
        const int expected = 8 + 8 + 7 * 4 * 2;
        QTRY_COMPARE_WITH_TIMEOUT(program.frames.size(), expected, 20000);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(program.frames[i].first, QByteArray("sbp"));
            QVERIFY(checkSumMatches(*parseReplyValues(program.frames[i].second), 8));
        }
        QVERIFY(program.frames.last().second.startsWith("7,4,2,"));
        QVERIFY(checkSumMatches(*parseReplyValues(program.frames.last().second), 9));
        QVERIFY(program.raw.size() > QByteArray("start_ende_").size() * expected);
    }

    // Paced both ways: a read-all burst and a request burst arrive complete
    // and in order (the rate itself is measured in the benchmark).
    void pacedReadAll() {
        Simulator sim(SimModel(SimModel::Variant::Basic, 2, 2));
        QVERIFY(sim.start());
        sim.setPaced(true);
        Program program(sim.slavePath());
        program.link.write("smnszzsfs");
        for (int i = 0; i < 10; ++i)
            program.link.write("sfi\r");
        const int expected = 8 + 1 + 7 * 2 * 2 + 10;
        QTRY_COMPARE_WITH_TIMEOUT(program.frames.size(), expected, 20000);
        QCOMPARE(codes(program.frames.mid(0, 9)), QByteArray("smnsmnsmnsmnsmnsmnsmnsmnszz"));
        QVERIFY(program.frames[9 + 27].second.startsWith("7,2,2,"));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(program.frames[37 + i].first, QByteArray("sfi"));
        QCOMPARE(sim.pty().queuedOutput(), 0);
    }

    // A send-all step through the line: writes in pieces, one acknowledgement.
    void stepAcknowledgedOverTheLine() {
        Simulator sim;
        QVERIFY(sim.start());
        Program program(sim.slavePath());
        program.link.write(" rbp0\r1\r1\r122\r10\r20\r244\r10\r");
        QTest::qWait(5);
        program.link.write("408\r rbp1\r8\r0\r122\r10\r20\r244\r10\r415\r");
        QTRY_COMPARE(program.frames.size(), 1);
        QCOMPARE(program.frames[0], qMakePair(QByteArray("stc"), QByteArray("0,")));
        QTest::qWait(100);
        QCOMPARE(program.frames.size(), 1);
        QCOMPARE(sim.controller().writesStored(), 2);
    }

    void flowControlHoldsReplies() {
        Simulator sim;
        QVERIFY(sim.start());
        Program program(sim.slavePath());
        program.link.write("\x13sfi\r");
        QTest::qWait(100);
        QVERIFY(program.raw.isEmpty());
        program.link.write("\x11");
        QTRY_COMPARE(program.frames.size(), 1);
    }

    void deviceLink() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyKorvane"));
        // A stale link from an earlier run is replaced.
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/pts"), path));
        {
            Simulator sim;
            QString error;
            QVERIFY2(sim.start(path, &error), qPrintable(error));
            QCOMPARE(QFile::symLinkTarget(path), sim.slavePath());
            Program program(path);
            QVERIFY(program.opened);
            program.link.write("sfi\r");
            QTRY_COMPARE(program.frames.size(), 1);

            sim.stop();
            QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
        }
        // Any other file is left alone.
        QFile plain(path);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("keep");
        plain.close();
        Simulator other;
        QString error;
        QVERIFY(!other.start(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QCOMPARE(plain.readAll(), QByteArray("keep"));
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_simpty.moc"
