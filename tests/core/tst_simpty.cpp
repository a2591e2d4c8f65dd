// The simulator on a pseudo-terminal through the program's serial link.

#include "Simulator.h"
#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"
#include "serial/QtSerialLink.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using Variant = SimModel::Variant;

namespace {

using Frame = QPair<QByteArray, QByteArray>;

// The program's side of the line: a serial link and a frame receiver.
struct Program {
    explicit Program(const QString& device) : opened(link.open(device).ok()) {
        QObject::connect(&link, &SerialLink::bytesArrived, [this](qsizetype) {
            const QByteArray bytes = link.readAll();
            raw += bytes;
            for (const ReceiverEvent& e : receiver.feed(bytes))
                if (e.kind == ReceiverEvent::Kind::Frame)
                    frames.append({e.code, e.payload});
        });
    }
    QByteArray codes(qsizetype from, qsizetype n) const {
        QByteArray out;
        for (const Frame& f : frames.mid(from, n))
            out += f.first;
        return out;
    }
    QList<Frame> frames;
    QByteArray raw;
    QtSerialLink link;
    FrameReceiver receiver;
    bool opened;
};

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Exact bytes on the line; the simulator answers a reopened port.
    void roundTripAndReopen() {
        Simulator sim;
        QVERIFY(sim.start());
        QVERIFY(sim.slavePath().startsWith(QLatin1String("/dev/")));
        for (int round = 0; round < 3; ++round) {
            Program program(sim.slavePath());
            QVERIFY(program.opened);
            program.link.write("smo\r");
            QTRY_COMPARE(program.raw, QByteArray("start_smoVX-4000 W 8 8STende_"));
            QCOMPARE(program.frames, QList<Frame>{Frame("smo", "VX-4000 W 8 8ST")});
        }
    }

    // A line that does not answer (0 unplugged, 1 silent fault, 2 XOFF): nothing comes while
    // it is quiet, and once it speaks again the replies follow (held ones only after XOFF).
    void quietLine() {
        const std::pair<int, QByteArray> rows[] = {{0, "sti"}, {1, "sti"}, {2, "sfismosti"}};
        for (const auto& [how, after] : rows) {
            Simulator sim;
            QVERIFY(sim.start());
            Program program(sim.slavePath());
            auto mute = [&, how = how](bool on) {
                if (how == 0)
                    sim.setAnswering(!on);
                else if (how == 1)
                    sim.setFaults(SimFaults{.silent = on});
                else
                    program.link.write(on ? "\x13" : "\x11");
            };
            mute(true);
            program.link.write("sfi\rsmo\r");
            QTest::qWait(150);
            QVERIFY(program.raw.isEmpty());
            mute(false);
            program.link.write("sti\r");
            QTRY_COMPARE(program.codes(0, -1), after);
        }
    }

    // Junk, split frames and a raw stale end marker: every frame still arrives intact, in order.
    void junkAndSplitFrames() {
        Simulator sim(SimModel(Variant::Sensor, 4, 2));
        QVERIFY(sim.start());
        sim.setFaults(SimFaults{.junk = true, .split = true});
        Program program(sim.slavePath());
        sim.pty().sendRaw("ende_");
        program.link.write("sbpsmnsfs");
        const int expected = 8 + 8 + 7 * 4 * 2;
        QTRY_COMPARE_WITH_TIMEOUT(program.frames.size(), expected, 20000);
        QVERIFY(program.raw.startsWith("ende_")); // raw bytes go out unshaped
        QCOMPARE(program.codes(0, 16),
                 QByteArray("sbp").repeated(8) + QByteArray("smn").repeated(8));
        for (int i = 0; i < 8; ++i)
            QVERIFY(checkSumMatches(*parseReplyValues(program.frames[i].second), 8));
        QVERIFY(program.frames.last().second.startsWith("7,4,2,"));
        QVERIFY(checkSumMatches(*parseReplyValues(program.frames.last().second), 9));
        QVERIFY(program.raw.size() > QByteArray("start_ende_").size() * expected);
    }

    // A stale device link is replaced and removed on stop; any other file is left alone.
    void deviceLink() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyKorvane"));
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/pts"), path));
        QString error;
        {
            Simulator sim;
            QVERIFY2(sim.start(path, &error), qPrintable(error));
            QCOMPARE(QFile::symLinkTarget(path), sim.slavePath());
            Program program(path);
            program.link.write("sfi\r");
            QTRY_COMPARE(program.frames.size(), 1);
            sim.stop();
            QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
        }
        QFile plain(path);
        QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("keep") == 4);
        plain.close();
        Simulator other;
        QVERIFY(!other.start(path, &error) && !error.isEmpty());
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QCOMPARE(plain.readAll(), QByteArray("keep"));
    }

    // At line speed a step's writes take longer than the quiet spell: still one acknowledgement.
    void pacedStepGetsOneAcknowledgement() {
        Simulator sim;
        QVERIFY(sim.start());
        sim.setPaced(true);
        Program program(sim.slavePath());
        program.link.write(" rbp1\r3\r1\r110\r6\r22\r200\r190\r533\r"
                           " rbp1\r8\r0\r122\r10\r20\r244\r10\r415\r");
        QTRY_COMPARE(program.frames, QList<Frame>{Frame("stc", "0,")});
        QTest::qWait(100);
        QCOMPARE(program.frames.size(), 1);
        QCOMPARE(sim.controller().writesStored(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_simpty.moc"
