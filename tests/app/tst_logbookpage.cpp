#include "LogbookPage.h"
#include "SimLogbook.h"
#include "SimLoopbackLink.h"
#include "helpers/WindowHarness.h"

#include "logbook/LogbookTransfer.h"

#include <QSignalSpy>

using namespace korvane;

namespace {

const QStringList kButtons{"Logbuch_Button", "Logbuch_Anfang", "Logbuch_Loeschen",
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
    QListWidget* list() { return page.findChild<QListWidget*>(QStringLiteral("LB")); }
    QProgressBar* bar() { return page.findChild<QProgressBar*>("LogbuchProgressBar"); }
    QStringList disabled() { return test::hiddenOf(&page, kButtons, true); }
    void click(const char* name) {
        QTest::mouseClick(page.findChild<QPushButton*>(name), Qt::LeftButton);
    }
    bool waitIdle() {
        QSignalSpy done(&transfer, &LogbookTransfer::finished);
        return !transfer.isBusy() || done.wait(5000);
    }
    // Nothing went out, the page is usable and shows no progress.
    bool untouched() {
        return link.written().isEmpty() && disabled().isEmpty() && bar()->isHidden() &&
               session.activity() == Activity::Idle;
    }
};

} // namespace

class TestLogbookPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The buttons start their transfer and rest while one runs.
    void readFromStartAndClear() {
        PageRig rig;
        rig.sim.seed(120);
        QSignalSpy busy(&rig.page, &LogbookPage::busyChanged);
        rig.click("Logbuch_Button");
        QCOMPARE(rig.disabled(), kButtons);
        QCOMPARE(busy.value(0), QList<QVariant>{true});
        QVERIFY(rig.waitIdle());
        QCOMPARE(rig.disabled(), QStringList());
        QCOMPARE(busy.last(), QList<QVariant>{false});
        const QStringList rows = test::rows(rig.list());
        QCOMPARE(rows, rig.transfer.list().rows());
        QCOMPARE(rows[0].left(5), QStringLiteral("  120"));
        QCOMPARE(rig.list()->currentRow(), 0);

        rig.click("Logbuch_Anfang");
        QVERIFY(rig.link.written().endsWith("slaslrsld"));
        QVERIFY(rig.waitIdle());

        rig.click("Logbuch_Loeschen");
        QVERIFY(rig.link.written().endsWith("sll"));
        QCOMPARE(test::rows(rig.list()), QStringList(rows.size()));
        QCOMPARE(rig.disabled(), QStringList());
        QVERIFY(rig.messages.isEmpty());
    }

    void exportShowsProgress() {
        PageRig rig;
        rig.sim.seed(40);
        rig.link.setBytesPerSecond(20000); // slow enough to see the bar while it runs
        rig.click("Logbuch_save_Button");
        QCOMPARE(rig.dialogs, 1);
        QVERIFY(!rig.bar()->isHidden());
        QCOMPARE(rig.disabled(), kButtons);
        QTRY_COMPARE(rig.bar()->maximum(), 40);
        QVERIFY(rig.waitIdle());
        QVERIFY(rig.bar()->isHidden());
        QCOMPARE(rig.bar()->value(), 40);
        QCOMPARE(rig.disabled(), QStringList());
        QVERIFY(QFile::exists(rig.savePath));
    }

    // A cancelled dialog (no file name) or a file that cannot be made.
    void exportNotStarted() {
        const std::pair<QString, QString> cases[] = {
            {"", ""},
            {"missing/Logbuch.vlf", "Kann Logbuch-File nicht anlegen:\nDen Ordner \u201E"}};
        for (const auto& [fileName, message] : cases) {
            PageRig rig;
            rig.savePath = fileName.isEmpty() ? QString() : rig.dir.filePath(fileName);
            rig.click("Logbuch_save_Button");
            QCOMPARE(rig.dialogs, 1);
            QCOMPARE(rig.messages.size(), message.isEmpty() ? 0 : 1);
            QVERIFY(message.isEmpty() || rig.messages.value(0).startsWith(message));
            QVERIFY(rig.untouched());
        }
    }

    void timeoutBringsButtonsBack() {
        PageRig rig;
        rig.link.setMute(true);
        rig.transfer.setSilenceTimeout(50);
        rig.click("Logbuch_save_Button");
        QCOMPARE(rig.disabled(), kButtons);
        QVERIFY(rig.waitIdle());
        QCOMPARE(rig.disabled(), QStringList());
        QVERIFY(rig.bar()->isHidden());
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(!QFile::exists(rig.savePath));
    }
};

QTEST_MAIN(TestLogbookPage)
#include "tst_logbookpage.moc"
