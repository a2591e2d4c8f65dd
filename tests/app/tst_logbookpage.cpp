#include "FakeLink.h"
#include "LogbookPage.h"
#include "SimLogbook.h"
#include "SimLoopbackLink.h"

#include "logbook/LogbookTransfer.h"
#include "session/ControllerSession.h"

#include <QFile>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

const char* const kButtons[] = {"Logbuch_Button", "Logbuch_Anfang", "Logbuch_Loeschen",
                                "Logbuch_save_Button"};

struct PageRig {
    SimLogbook sim;
    SimLoopbackLink link{[this](const QByteArray& request) {
        return request == "smn" ? nameFrames() : sim.handle(request);
    }};
    ControllerSession session{&link};
    LogbookTransfer transfer{session,
                             [](int motor) { return QStringLiteral("Raum %1").arg(motor); }};
    LogbookPage page{transfer};
    QStringList messages;
    QTemporaryDir dir;
    QString savePath = dir.filePath(QStringLiteral("Logbuch.vlf"));
    int dialogs = 0;

    PageRig() {
        link.open(QStringLiteral("sim"), nullptr);
        page.setMessageSink([this](const QString& text) { messages << text; });
        page.setSaveDialog([this](QWidget*) {
            ++dialogs;
            return savePath;
        });
    }
    QPushButton* button(const char* name) { return page.findChild<QPushButton*>(name); }
    QListWidget* list() { return page.findChild<QListWidget*>(QStringLiteral("LB")); }
    QString row(int r) { return list()->item(r)->text(); }
    QProgressBar* bar() {
        return page.findChild<QProgressBar*>(QStringLiteral("LogbuchProgressBar"));
    }
    bool buttonsEnabled(bool expected) {
        for (const char* name : kButtons) {
            if (button(name)->isEnabled() != expected)
                return false;
        }
        return true;
    }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    bool waitIdle() {
        QSignalSpy done(&transfer, &LogbookTransfer::finished);
        return !transfer.isBusy() || done.wait(5000);
    }
    // Nothing went out, the page is usable and shows no progress.
    bool untouched() {
        return link.written().isEmpty() && buttonsEnabled(true) && bar()->isHidden() &&
               session.activity() == Activity::Idle;
    }
};

} // namespace

class TestLogbookPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The three buttons start their transfer; the list shows the transfer's
    // rows, and the buttons rest while one runs.
    void readFromStartAndClear() {
        PageRig rig;
        rig.sim.seed(120);
        QSignalSpy busy(&rig.page, &LogbookPage::busyChanged);
        rig.click("Logbuch_Button");
        QVERIFY(rig.buttonsEnabled(false));
        QCOMPARE(busy.value(0), QList<QVariant>{true});
        QVERIFY(rig.waitIdle());
        QVERIFY(rig.buttonsEnabled(true));
        QCOMPARE(busy.last(), QList<QVariant>{false});
        for (int r = 0; r < rig.list()->count(); ++r)
            QCOMPARE(rig.row(r), rig.transfer.list().row(r));
        QCOMPARE(rig.row(0).left(5), QStringLiteral("  120"));
        QCOMPARE(rig.list()->currentRow(), 0);

        rig.click("Logbuch_Anfang");
        QVERIFY(rig.link.written().endsWith("slaslrsld"));
        QVERIFY(rig.waitIdle());

        rig.click("Logbuch_Loeschen");
        QVERIFY(rig.link.written().endsWith("sll"));
        for (int r = 0; r < rig.list()->count(); ++r)
            QVERIFY(rig.row(r).isEmpty());
        QVERIFY(rig.buttonsEnabled(true));
        QVERIFY(rig.messages.isEmpty());
    }

    void exportShowsProgress() {
        PageRig rig;
        rig.sim.seed(40);
        rig.link.setBytesPerSecond(20000); // slow enough to see the bar while it runs
        rig.click("Logbuch_save_Button");
        QCOMPARE(rig.dialogs, 1);
        QVERIFY(!rig.bar()->isHidden());
        QVERIFY(rig.buttonsEnabled(false));
        QTRY_COMPARE(rig.bar()->maximum(), 40);
        QVERIFY(rig.waitIdle());
        QVERIFY(rig.bar()->isHidden());
        QCOMPARE(rig.bar()->value(), 40);
        QVERIFY(rig.buttonsEnabled(true));
        QVERIFY(QFile::exists(rig.savePath));
    }

    void exportNotStarted_data() {
        QTest::addColumn<QString>("fileName"); // empty: the dialog is cancelled
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled") << QString() << QString();
        QTest::newRow("file error") << "missing/Logbuch.vlf"
                                    << "Kann Logbuch-File nicht anlegen";
    }

    void exportNotStarted() {
        QFETCH(QString, fileName);
        QFETCH(QString, message);
        PageRig rig;
        rig.savePath = fileName.isEmpty() ? QString() : rig.dir.filePath(fileName);
        rig.click("Logbuch_save_Button");
        QCOMPARE(rig.dialogs, 1);
        QCOMPARE(rig.messages.size(), message.isEmpty() ? 0 : 1);
        QVERIFY(rig.messages.value(0).startsWith(message));
        QVERIFY(rig.untouched());
    }

    void timeoutBringsButtonsBack() {
        PageRig rig;
        rig.link.setMute(true);
        rig.transfer.setSilenceTimeout(50);
        rig.click("Logbuch_save_Button");
        QVERIFY(rig.buttonsEnabled(false));
        QVERIFY(rig.waitIdle());
        QVERIFY(rig.buttonsEnabled(true));
        QVERIFY(rig.bar()->isHidden());
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(!QFile::exists(rig.savePath));
    }
};

QTEST_MAIN(TestLogbookPage)
#include "tst_logbookpage.moc"
