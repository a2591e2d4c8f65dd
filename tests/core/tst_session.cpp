// The controller session (poll, model, connection, live values, panels) and program settings.
#include "FakeLink.h"
#include "FileBytes.h"

#include "files/ProgramSettings.h"
#include "manual/ManualControl.h"
#include "session/ControllerSession.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

using namespace korvane;

namespace {

const QByteArray kConservatory = "VX-4000 W 8 8ST";
const QByteArray kBasic = "VX-1000   4 6  ";
const QByteArray kLive = "250,21,5,18,24,999,0,0,0,0,12,0,0,7,240,55,";

struct Rig {
    FakeLink link;
    ControllerSession session{&link};
    Rig() {
        session.setTimerIntervals(1000000, 1000000, 1000000); // ticks are driven by hand
        session.openDevice(QStringLiteral("/dev/fake"));
        link.written.clear();
    }
    QString panel(int p) const { return session.panels().text(p); }
    QString panels(std::initializer_list<int> ps) const {
        QStringList out;
        for (int p : ps)
            out << panel(p);
        return out.join(QLatin1Char('|'));
    }
};

QString iniFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("Korvane.ini"));
    if (!test::writeBytes(path, content))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each poll writes the requests and counts them; a send-all suspends poll and watchdog.
    void pollTickWritesRequestsUnlessSending() {
        Rig r;
        for (int i = 0; i < 3; ++i)
            r.session.pollTick();
        QCOMPARE(r.link.written, QByteArray("sfi\rsdt\rsti\rskd\rsmo\r").repeated(3));
        QCOMPARE(r.panel(StatusPanels::Tx), QStringLiteral("TxD: 60"));
        r.link.unsent = 5; // the controller holds its input: a poll would only pile up
        r.session.pollTick();
        QCOMPARE(r.link.written.size(), 60);
        r.link.unsent = 0;
        r.link.written.clear();
        r.link.receive(frame("smo", kBasic));
        r.session.setActivity(Activity::SendAll);
        r.session.pollTick();
        QVERIFY(r.link.written.isEmpty());
        r.session.watchdogTick();
        r.session.watchdogTick();
        QVERIFY(r.session.isConnected());
    }

    void connectsAndAppliesModel() {
        for (const auto& [model, info] :
             {std::pair{kConservatory, ModelInfo{true, true, true, 8, 8}},
              std::pair{kBasic, ModelInfo{false, false, false, 4, 6}}}) {
            Rig r;
            QSignalSpy state(&r.session, &ControllerSession::pollState);
            r.link.receive(frame("smo", model) + frame("sfi", "1.08") + frame("sdt", "05.12.26"));
            QCOMPARE(r.panels({StatusPanels::Model, StatusPanels::Version, StatusPanels::Date}),
                     QString::fromLatin1(model) + "|V1.08|05.12.26");
            r.session.pollTick();
            QCOMPARE(state.size(), 1);
            QVERIFY(state.first().at(0).toBool());
            QCOMPARE(r.session.model(), info);
            // "slr" goes out once, after the first connected poll.
            QVERIFY(r.link.written.endsWith("slr"));
            r.session.pollTick();
            QCOMPARE(r.link.written.count("slr"), 1);
        }
    }

    // Counts that are no digit 1 .. 8 (none, or more than the tables hold).
    void badModelCountsKeepPreviousAndReportOnce() {
        for (const char* bad : {"VX-4000 W x 8S", "VDX-2000W-9-9ST", "VDX-2000W-0-0ST",
                                "VX-4000 W 8 9ST", "VX-4000 W 0 8ST"}) {
            Rig r;
            QSignalSpy messages(&r.session, &ControllerSession::userMessage);
            r.link.receive(frame("smo", kConservatory));
            r.session.pollTick();
            r.link.receive(frame("smo", bad));
            r.session.pollTick();
            r.session.pollTick();
            QCOMPARE(r.session.model().motorCount, 8);
            QCOMPARE(r.session.model().slotsPerMotor, 8);
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages.first().first().toString().contains(
                         "keine g\u00FCltige Motor- oder Schaltzeitenanzahl"),
                     bad);
        }
    }

    void settingsFileWrittenOnceAndFailureReported() {
        Rig r;
        int writes = 0;
        r.session.setProgramSettingsWriter([&] { return ++writes < 0; }); // counts, fails
        QSignalSpy messages(&r.session, &ControllerSession::userMessage);
        r.session.pollTick(); // not connected: no write
        QCOMPARE(writes, 0);
        r.link.receive(frame("smo", kBasic));
        r.session.pollTick();
        r.session.pollTick();
        QCOMPARE(writes, 1);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first().toString(),
                 QStringLiteral("    Kann Initialisierungs-File nicht schreiben    "));
    }

    // "Connected" is the session's own state, whatever the model panel reads: set by a model
    // reply, cleared by a silent watchdog period; a failed open is reported once.
    void connectionStateAndWatchdog() {
        Rig r;
        QSignalSpy changed(&r.session, &ControllerSession::changedEvent);
        QSignalSpy lost(&r.session, &ControllerSession::connectionLost);
        QVERIFY(!r.session.isConnected());
        r.link.reply("smo", "Keine Verbindung");
        r.session.panels().setText(StatusPanels::Model, QStringLiteral("Keine Verbindung"));
        QVERIFY(r.session.isConnected());
        r.session.watchdogTick(); // bytes arrived since the last check
        QVERIFY(r.session.isConnected());
        r.session.watchdogTick(); // silence for one period
        QVERIFY(!r.session.isConnected());
        r.session.watchdogTick(); // still silent: lost once, not again
        QCOMPARE(lost.size(), 1);
        QCOMPARE(changed.last().first().value<ChangedEvent>(), ChangedEvent::ConnectionLost);
        r.link.receive(frame("smo", kBasic));
        QVERIFY(r.session.isConnected());

        r.link.openError = EBUSY;
        QSignalSpy failed(&r.session, &ControllerSession::portOpenFailed);
        QVERIFY(!r.session.openDevice(QStringLiteral("/dev/busy")));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(r.session.openError(),
                 (SerialError{SerialError::Kind::Busy, EBUSY, QStringLiteral("/dev/busy")}));
    }

    void liveValuesFillPanels() {
        Rig r;
        r.link.receive(frame("smo", kConservatory));
        r.session.pollTick();
        QSignalSpy live(&r.session, &ControllerSession::liveValues);
        r.link.receive(frame("skd", kLive));
        QCOMPARE(live.size(), 1);
        // Outside 999: no sensor, its panel stays empty; the lux mean is shown at start.
        QCOMPARE(r.panels({StatusPanels::Sun, StatusPanels::Wind, StatusPanels::Inside,
                           StatusPanels::Outside}),
                 QStringLiteral("Sonne: 250|Wind: 7|IT: 21,5\u00B0|"));
        const auto d = live.first().first().value<LiveDisplay>();
        QCOMPARE((QStringList{d.outsideNow, d.outsideMin, d.windNow, d.lux, d.humidity}),
                 (QStringList{"    -", "   -", "0 km/h", "240", "55 %"}));
        QVERIFY(!d.windBarVisible);
        r.session.toggleLuxMean();
        r.link.receive(frame("skd", kLive));
        QCOMPARE(r.session.lastLiveValues().lux, QStringLiteral("250"));
    }

    // Whole degrees and unsigned tenths, as text and as a number.
    void temperatures() {
        const std::tuple<int, int, double, QString> rows[] = {{21, 5, 21.5, "21,5°"},
                                                              {-3, 5, -3.5, "-3,5°"},
                                                              {-12, 0, -12.0, "-12,0°"},
                                                              {0, 7, 0.7, "0,7°"}};
        for (const auto& [whole, tenths, degrees, text] : rows) {
            QCOMPARE(temperatureDegrees(whole, tenths), degrees);
            const ReplyValues outside{0, 0, 0, 0, 0, whole, tenths};
            const LiveDisplay d = decodeLiveValues(outside, true, true);
            QCOMPARE(d.outsideNow, text);
            QCOMPARE(d.outsidePanel, std::optional<QString>("AT: " + text));
        }
    }

    // A bad value drops the frame but its bytes count, before any handler runs.
    void countersRunBeforeHandlersAndTrace() {
        Rig r;
        QSignalSpy live(&r.session, &ControllerSession::liveValues);
        const QByteArray bytes = frame("skd", "1,zwei,3,");
        r.link.receive(bytes);
        QCOMPARE(live.size(), 0);
        QCOMPARE(r.panel(StatusPanels::Error), QStringLiteral("Formatfehler skd"));
        QCOMPARE(r.panel(StatusPanels::Rx), QStringLiteral("RxD: %1").arg(bytes.size()));
        int rxSeenByAck = -1;
        r.session.registerHandler("stc",
                                  [&](const QByteArray&) { rxSeenByAck = r.session.rxCount(); });
        r.link.receive(frame("stc", "0,"));
        QCOMPARE(rxSeenByAck, int(bytes.size() + frame("stc", "0,").size()));
        // A stale end marker is traced with the frame before it.
        r.link.receive(frame("sfi", "1.0"));
        r.link.receive("xyende_");
        QCOMPARE(r.panel(StatusPanels::Trace), QStringLiteral(" del 1.0"));
        r.link.receive(frame("sdt", "05.12.26"));
        QCOMPARE(r.panel(StatusPanels::Trace), QStringLiteral("sdt  05.12.26"));
    }

    void portChangeMarksDataAndResetsPanels() {
        Rig r;
        QSignalSpy changed(&r.session, &ControllerSession::changedEvent);
        // A half frame from the old port must not prefix the new port's first frame.
        r.link.receive(frame("smo", kBasic) + frame("sfi", "1.0") + "start_sfi9.");
        r.session.changePort(QStringLiteral("/dev/other"));
        QCOMPARE(r.session.pendingBytes(), 0);
        QVERIFY(!r.session.isConnected());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().value<ChangedEvent>(), ChangedEvent::PortChanged);
        QCOMPARE(r.panels({StatusPanels::Model, StatusPanels::Version}), "Keine Verbindung|");
    }

    // Manual mode is off only once " rhe" is out: never refused for a full
    // queue, dropped by a lost port, then the reopened port's first write.
    void manualModeOffOnlyOnceLeft() {
        Rig r;
        ManualControl manual(r.session);
        QSignalSpy changed(&manual, &ManualControl::manualChanged);
        manual.enter();
        r.link.unsent = 5; // held by XOFF
        r.link.queueFull = true;
        manual.leave();
        QVERIFY(manual.isOn());
        r.link.hangUp();
        r.link.unsent = 0;
        r.session.setReopenInterval(1);
        QTRY_VERIFY(r.link.isOpen());
        QCOMPARE(r.link.written, QByteArray(" rhi\r rhe\r rhe\r"));
        QVERIFY(!manual.isOn());
        QCOMPARE(changed.size(), 2);
    }

    // A lost port: reported once, disconnected at once, then reopened.
    void lostPortDisconnectsAtOnceAndReopens() {
        Rig r;
        r.link.receive(frame("smo", kBasic));
        QVERIFY(r.session.isConnected());
        QSignalSpy lost(&r.session, &ControllerSession::portLost);
        QSignalSpy state(&r.session, &ControllerSession::pollState);
        r.session.setReopenInterval(1);
        r.link.hangUp();
        QCOMPARE(lost.size(), 1);
        QVERIFY(!r.session.isConnected());
        QCOMPARE(r.panel(StatusPanels::Model), kNoConnectionText);
        QCOMPARE(state.size(), 1);
        const qsizetype opened = r.link.openedDevices.size();
        QTRY_VERIFY(r.link.isOpen());
        QCOMPARE(r.link.openedDevices.size(), opened + 1);
        QCOMPARE(lost.size(), 1);
        // Counters of a program that runs for years.
        r.session.addRxCount(qint64(1) << 32);
        QCOMPARE(r.session.rxCount(), (qint64(1) << 32) + frame("smo", kBasic).size());
    }

    // Port, its device and what the warning says ("": none), per file content.
    void programSettingsPortAndMapping() {
        const std::tuple<QByteArray, QString, QString> rows[] = {
            {"3\r\n", "3 /dev/ttyS2", ""},                                // an old file
            {"3\nCOM3=/dev/ttyUSB0\n", "3 /dev/ttyUSB0", ""},             // mapped, LF
            {"9\r\n", "1 /dev/ttyS0", "in Zeile 1 ist keine Portnummer"}, // out of range
            {"abc\r\n", "1 /dev/ttyS0", "\u201Eabc\u201C in Zeile 1"},
            {"", "1 /dev/ttyS0", "\u201E\u201C in Zeile 1"},
            {"1\r\nCOM1=/dev/a\r\nCOM2=/dev/b\r\n", "1 /dev/a", ""},
            // A port mapped twice: the first line counts, the warning names it.
            {"2\r\nCOM2=/dev/ttyUSB1\r\ncom 2 = /dev/ttyS0\r\n", "2 /dev/ttyUSB1",
             "Korvane.ini: \u201Ecom 2 = /dev/ttyS0\u201C in Zeile 3 wird ignoriert: COM 2 ist "
             "schon in Zeile 2 zugeordnet, \u201ECOM2=/dev/ttyUSB1\u201C gilt."},
            {"COM1=/dev/a\r# x\rCOM1=/dev/b\r", "1 /dev/a", // the mapping on line 1 counts
             "\u201ECOM1=/dev/b\u201C in Zeile 3 wird ignoriert: COM 1 ist schon in Zeile 1"},
            {"2\r\n" + QByteArray(100000, 'x'), "2 /dev/ttyS1", "wird ignoriert"}, // echoed cut
        };
        for (const auto& [content, result, warned] : rows) {
            QTemporaryDir dir;
            QString warning;
            const auto s = ProgramSettings::load(iniFile(dir, content), &warning);
            QCOMPARE(QString::number(s.port()) + ' ' + s.deviceFor(s.port()), result);
            QVERIFY2(warned.isEmpty() ? warning.isEmpty() : warning.contains(warned),
                     qPrintable(warning));
            QVERIFY(warning.size() < 300);
        }
        // A FIFO is not waited for.
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("Korvane.ini"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QString warning;
        QCOMPARE(ProgramSettings::load(fifo, &warning).port(), 1);
        QVERIFY2(
            warning.endsWith(QStringLiteral("sondern eine Pipe (FIFO). COM 1 wird verwendet.")),
            qPrintable(warning));
    }

    // The COM numbers a new mapping line would take effect for.
    void programSettingsFreePorts() {
        const std::tuple<QByteArray, QStringList, QList<int>> rows[] = {
            // A mapped port whose adapter is unplugged is not free; nor is
            // one whose /dev/ttyS device the system has.
            {"1\r\nCOM2=/dev/ttyUSB1\r\n", {"/dev/ttyS0", "/dev/ttyS3"}, {3, 5, 6, 7, 8}},
            {"1\r\nCOM1=/dev/ttyUSB0\r\nCOM1=/dev/ttyUSB1\r\n",
             {"/dev/ttyUSB0"},
             {2, 3, 4, 5, 6, 7, 8}},
            {"COM1=a\nCOM2=b\nCOM3=c\nCOM4=d\nCOM5=e\nCOM6=f\nCOM7=g\nCOM8=h\n", {}, {}}};
        for (const auto& [content, systemPorts, free] : rows)
            QCOMPARE(ProgramSettings::fromBytes(content).freePorts(systemPorts), free);
    }

    void programSettingsRewriteKeepsMappingLines() {
        QTemporaryDir dir;
        const QString path = iniFile(dir, "1\r\nCOM2=/dev/ttyUSB1\r\n# note\r\n");
        auto s = ProgramSettings::load(path);
        s.setPort(2);
        QVERIFY(s.save(path));
        QCOMPARE(test::fileBytes(path), QByteArray("2\r\nCOM2=/dev/ttyUSB1\r\n# note\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
