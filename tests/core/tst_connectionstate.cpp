// The session keeps "connected" as its own state: set by a model reply,
// cleared by a silent watchdog period and by a port change, whatever text
// the status panel shows.
#include "FakeLink.h"

#include "session/ControllerSession.h"

#include <QSignalSpy>
#include <QTest>

#include <cerrno>

using namespace korvane;

class TestConnectionState : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectedFollowsRepliesNotPanelText() {
        FakeLink link;
        ControllerSession session(&link);
        session.setTimerIntervals(1000000, 1000000, 1000000); // ticks are driven by hand
        QVERIFY(session.openDevice(QStringLiteral("/dev/fake")));
        QVERIFY(!session.isConnected());

        // A controller whose model text reads like the panel's own text.
        link.reply("smo", "Keine Verbindung");
        QVERIFY(session.isConnected());
        session.panels().setText(StatusPanels::Model, QStringLiteral("Keine Verbindung"));
        QVERIFY(session.isConnected());

        session.watchdogTick(); // bytes arrived since the last check
        QVERIFY(session.isConnected());
        session.watchdogTick(); // silence
        QVERIFY(!session.isConnected());

        link.reply("smo", "VX-1000   4 6  ");
        QVERIFY(session.isConnected());
        session.changePort(QStringLiteral("/dev/other"));
        QVERIFY(!session.isConnected());

        // A failed open is reported once, as a kind with its OS error.
        link.openError = EBUSY;
        QSignalSpy failed(&session, &ControllerSession::portOpenFailed);
        QVERIFY(!session.openDevice(QStringLiteral("/dev/busy")));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(session.openError().kind, SerialError::Kind::Busy);
        QCOMPARE(session.openError().osError, EBUSY);
        QCOMPARE(session.openError().device, QStringLiteral("/dev/busy"));
    }
};

QTEST_GUILESS_MAIN(TestConnectionState)
#include "tst_connectionstate.moc"
