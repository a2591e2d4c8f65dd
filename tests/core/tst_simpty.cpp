// The simulator on a pseudo-terminal through the program's serial link: reopening, quiet
// lines, faults, the device link, and read-all and send-all for every model.

#include "Simulator.h"
#include "Station.h"
#include "params/ParameterSet.h"
#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using Variant = SimModel::Variant;

namespace {

using Frame = QPair<QByteArray, QByteArray>;

// The program's side of the line: a serial link and a frame receiver.
struct Program {
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
    bool opened = false;
};

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Exact bytes on the line; the program closes and reopens the port and the
    // simulator keeps answering.
    void roundTripAndReopen() {
        Simulator sim;
        QString error;
        QVERIFY2(sim.start(QString(), &error), qPrintable(error));
        QVERIFY(sim.slavePath().startsWith(QLatin1String("/dev/")));
        for (int round = 0; round < 3; ++round) {
            Program program(sim.slavePath());
            QVERIFY(program.opened);
            program.link.write("smo\r");
            QTRY_COMPARE(program.frames.size(), 1);
            QCOMPARE(program.frames[0], Frame("smo", "VX-4000 W 8 8ST"));
            QCOMPARE(program.raw, QByteArray("start_smoVX-4000 W 8 8STende_"));
        }
    }

    // A line that does not answer: nothing comes while it is quiet, and once it
    // speaks again the replies follow (held ones after XOFF, none otherwise).
    void quietLine_data() {
        QTest::addColumn<int>("how"); // 0 unplugged, 1 silent fault, 2 XOFF
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("unplugged") << 0 << QByteArray("sti");
        QTest::newRow("silent fault") << 1 << QByteArray("sti");
        QTest::newRow("XOFF holds the replies") << 2 << QByteArray("sfismosti");
    }
    void quietLine() {
        QFETCH(int, how);
        QFETCH(QByteArray, after);
        Simulator sim;
        QVERIFY(sim.start());
        Program program(sim.slavePath());
        auto mute = [&](bool on) {
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

    // Junk between frames, frames in pieces and a stale end marker sent raw:
    // the receiver still gets every frame intact and in order.
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

    // A stale link from an earlier run is replaced and removed on stop; any
    // other file is left alone.
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
        QVERIFY(!other.start(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QCOMPARE(plain.readAll(), QByteArray("keep"));
    }

    void readAndSendEveryModel_data() {
        QTest::addColumn<Variant>("variant");
        QTest::addColumn<int>("motors");
        QTest::addColumn<int>("slots");
        QTest::addColumn<bool>("paced");
        QTest::addColumn<int>("steps"); // acknowledgements of one send-all
        // Monday, six more days, names, the model's blocks, key-press (also sent
        // to a basic model), random span.
        QTest::newRow("basic") << Variant::Basic << 3 << 2 << false << 1 + 6 + 1 + 1 + 1;
        QTest::newRow("basic paced") << Variant::Basic << 2 << 2 << true << 1 + 6 + 1 + 1 + 1;
        QTest::newRow("sensor") << Variant::Sensor << 8 << 8 << false << 1 + 6 + 1 + 9 + 1;
        QTest::newRow("sensor key-press")
            << Variant::SensorKeyPress << 4 << 6 << false << 1 + 6 + 1 + 9 + 1 + 1;
        QTest::newRow("conservatory")
            << Variant::Conservatory << 8 << 8 << false << 1 + 6 + 1 + 9 + 6 + 1 + 1;
    }
    void readAndSendEveryModel() {
        QFETCH(Variant, variant);
        QFETCH(int, motors);
        QFETCH(int, slots);
        QFETCH(bool, paced);
        QFETCH(int, steps);
        Station s(SimModel(variant, motors, slots), paced);
        QVERIFY(s.readAll());
        // The controller's factory data arrived: motor 1 of the standard profile
        // has its automatics on, the random span is 30 minutes (item 28).
        if (s.session.model().hasOutdoorAutomatics())
            QCOMPARE(s.params.record(BlockId::Shading, 0, 0).value[0], 0);
        QCOMPARE(s.params.param(SystemParam::RandomSpan), 28);

        // On a paced line too, every step gets exactly one acknowledgement.
        QVERIFY(s.sendAll());
        QCOMPARE(s.sim.controller().stepsAcknowledged(), steps);
        QCOMPARE(s.sim.controller().writesRefused(), 0);
        QCOMPARE(s.transfer.txStep(), 18);
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_simpty.moc"
