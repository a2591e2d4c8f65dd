// Why a serial device does not open or was lost: kind, OS error number and the
// text shown; the real link on a line that hangs up or holds its input.
#include "Simulator.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace korvane;
using Kind = SerialError::Kind;

class TestSerialLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Our own German text names the device; the desktop's report keeps the port module's words.
    void errorKindsAndTexts() {
        const QString cannot = QStringLiteral("Can't open specified device /dev/x (Error ");
        const QString dialout = QStringLiteral(
            "Benutzer in die Gruppe \u201Edialout\u201C aufnehmen (sudo usermod -aG dialout $USER) "
            "und neu anmelden.");
        const QString notFound = QStringLiteral("Serielle Schnittstelle /dev/x nicht gefunden.");
        const QString noOpen = QStringLiteral("Serielle Schnittstelle /dev/x l\u00E4sst sich nicht "
                                              "\u00F6ffnen: ");
        const std::tuple<int, Kind, QString, QString> rows[] = {
            {0, Kind::None, {}, {}},
            {ENOENT, Kind::NotFound, notFound, "Specified device not found (/dev/x)."},
            {ENXIO, Kind::NotFound, notFound, "Specified device not found (/dev/x)."},
            {EBUSY, Kind::Busy,
             "Serielle Schnittstelle /dev/x ist belegt: ein anderes Programm hat sie "
             "ge\u00F6ffnet oder gesperrt.",
             cannot + "16, Device or resource busy)"},
            {EACCES, Kind::Permission,
             "Keine Berechtigung f\u00FCr die serielle Schnittstelle /dev/x: " + dialout,
             cannot + "13, Permission denied)\nKeine Berechtigung: " + dialout},
            {EIO, Kind::Io, noOpen + "Ein-/Ausgabefehler.", cannot + "5, Input/output error)"},
            {EISDIR, Kind::Io, noOpen + "das ist ein Ordner.", cannot + "21, Is a directory)"},
            {ENOTTY, Kind::Io, noOpen + "das ist keine serielle Schnittstelle.",
             cannot + "25, Inappropriate ioctl for device)"},
            {EROFS, Kind::Io, noOpen + "Fehler 30, Read-only file system.",
             cannot + "30, Read-only file system)"}};
        for (const auto& [osError, kind, text, report] : rows) {
            const SerialError e = SerialError::fromOsError(QStringLiteral("/dev/x"), osError);
            QCOMPARE(std::pair(e.kind, e.osError), std::pair(kind, osError));
            QCOMPARE(serialErrorText(e), text);
            QCOMPARE(serialOpenErrorReport(e), report);
        }
        const SerialError lost{Kind::Lost, EIO, QStringLiteral("/dev/x")};
        const QString lostText = QStringLiteral(
            "Verbindung zur Steuerung verloren: die Schnittstelle /dev/x wurde getrennt.");
        QCOMPARE(serialErrorText(lost), lostText);
        QCOMPARE(serialOpenErrorReport(lost), lostText);
    }

    // The far end hangs up mid-reply, with output held by XOFF or not: the loss
    // is reported once, writes are refused, no line error is reported, and the
    // device opens again once it is back.
    void hangUpIsReportedOnce() {
        for (const bool held : {false, true}) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("tty"));
            Simulator sim;
            QVERIFY(sim.start(path));
            QtSerialLink link;
            QVERIFY(link.open(path).ok());
            QSignalSpy lost(&link, &SerialLink::deviceLost);
            QSignalSpy lineErrors(&link, &SerialLink::lineError);
            if (held) {
                sim.pty().sendRaw(QByteArray(1, SimPty::kXoff));
                QTest::qWait(50);
                QVERIFY(link.write(QByteArray(500, 'x')));
                QTest::qWait(50);
                QCOMPARE(link.bytesToWrite(), 500);
            }
            sim.setFaults(*SimFaults::fromName(QStringLiteral("hangup=10")));
            held ? sim.pty().sendRaw("start_smoVX-4000 W 8 8STende_") : void(link.write("smo\r"));
            QTRY_COMPARE(lost.size(), 1);
            QCOMPARE(lost.first().first().value<SerialError>(),
                     (SerialError{Kind::Lost, EIO, path}));
            QVERIFY(!link.isOpen());
            QVERIFY(!link.write("smo\r"));
            link.close();
            QTest::qWait(100);
            QCOMPARE(lost.size(), 1);
            QCOMPARE(lineErrors.size(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(link.open(path).ok(), 3000);
            QVERIFY(link.write("smo\r"));
            QByteArray answer;
            QTRY_COMPARE((answer += link.readAll()), QByteArray("start_smoVX-4000 W 8 8STende_"));
        }
    }

    // While the controller holds its input, a poll waits for the previous one.
    void pollsDoNotPileUpWhileOutputIsHeld() {
        Simulator sim;
        QVERIFY(sim.start());
        QtSerialLink link;
        ControllerSession session(&link);
        session.setTimerIntervals(10, 1000000, 1000000);
        QVERIFY(session.openDevice(sim.slavePath()));
        QTRY_VERIFY(session.isConnected());
        sim.pty().sendRaw(QByteArray(1, SimPty::kXoff));
        QTest::qWait(500); // fifty ticks
        QVERIFY(link.bytesToWrite() > 0);
        QVERIFY2(link.bytesToWrite() <= 20, QByteArray::number(link.bytesToWrite()));
        const qint64 rx = session.rxCount();
        sim.pty().sendRaw(QByteArray(1, SimPty::kXon));
        QTRY_VERIFY(session.rxCount() > rx + 500); // the line runs again
    }

    void realOpens() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString plain = dir.filePath(QStringLiteral("datei"));
        QVERIFY(QFile(plain).open(QIODevice::WriteOnly));
        Simulator sim;
        QVERIFY(sim.start());

        const std::tuple<QString, Kind, int> rows[] = {
            {dir.filePath(QStringLiteral("fehlt")), Kind::NotFound, ENOENT},
            {dir.path(), Kind::Io, EISDIR},
            {plain, Kind::Io, ENOTTY},
            {sim.slavePath(), Kind::None, 0},
        };
        QtSerialLink first;
        for (const auto& [device, kind, osError] : rows) {
            const SerialError e = first.open(device);
            QCOMPARE(std::pair(e.kind, e.osError), std::pair(kind, osError));
            QVERIFY(e.ok() || e.device == device);
            QCOMPARE(first.isOpen(), kind == Kind::None);
        }
        // The port that `first` holds is busy for everyone else.
        QCOMPARE(QtSerialLink().open(sim.slavePath()),
                 (SerialError{Kind::Busy, EBUSY, sim.slavePath()}));
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
