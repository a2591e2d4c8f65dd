#include "LogbookPage.h"
#include "SimLogbook.h"
#include "SimLoopbackLink.h"

#include "logbook/LogbookTransfer.h"
#include "session/ControllerSession.h"

#include <QFile>
#include <QFontInfo>
#include <QLabel>
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
    SimLoopbackLink link{[this](const QByteArray& request) { return sim.handle(request); }};
    ControllerSession session{&link};
    LogbookTransfer transfer{session,
                             [](int motor) { return QStringLiteral("Raum %1").arg(motor); }};
    LogbookPage page{transfer};
    QStringList messages;
    QString savePath;
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
};

} // namespace

class TestLogbookPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layout_data();
    void layout();
    void listAndCaptions();
    void readFillsList();
    void fromStartAndClear();
    void exportShowsProgress();
    void exportCancelledSendsNothing();
    void exportFileError();
    void timeoutBringsButtonsBack();
    void pollCycleDisablesButtons();
};

void TestLogbookPage::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::newRow("read") << "Logbuch_Button"
                          << "Logbuch lesen"
                          << "Die nächsten 100 Logbuch-Einträge lesen";
    QTest::newRow("start") << "Logbuch_Anfang"
                           << "Ab Anfang"
                           << "Logbuch ab Anfang lesen";
    QTest::newRow("clear") << "Logbuch_Loeschen"
                           << "Logbuch löschen"
                           << "";
    QTest::newRow("save") << "Logbuch_save_Button"
                          << "Save to Disk"
                          << "";
}

void TestLogbookPage::layout() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    PageRig rig;
    auto* b = rig.page.findChild<QPushButton*>(name);
    QVERIFY(b);
    QCOMPARE(b->text(), caption);
    QCOMPARE(b->toolTip(), hint);
}

void TestLogbookPage::listAndCaptions() {
    PageRig rig;
    auto* caption = rig.page.findChild<QLabel*>(QStringLiteral("Label34"));
    QVERIFY(caption);
    QCOMPARE(caption->text(), QStringLiteral("Nr.    Motor / Raum          Datum          Uhrzeit  "
                                             "    Richtung       Ausgelöst durch    "));
    QCOMPARE(rig.list()->count(), 101);
    QVERIFY(QFontInfo(rig.list()->font()).fixedPitch());
    QVERIFY(rig.bar());
    QVERIFY(rig.bar()->isHidden());
}

void TestLogbookPage::readFillsList() {
    PageRig rig;
    rig.sim.seed(5);
    QSignalSpy busy(&rig.page, &LogbookPage::busyChanged);
    rig.click("Logbuch_Button");
    QVERIFY(rig.buttonsEnabled(false));
    QCOMPARE(busy.value(0), QList<QVariant>{true});
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.buttonsEnabled(true));
    QCOMPARE(busy.last(), QList<QVariant>{false});
    for (int r = 0; r < 5; ++r)
        QCOMPARE(rig.list()->item(r)->text(), rig.transfer.list().row(r));
    QVERIFY(rig.list()->item(0)->text().startsWith(QStringLiteral("    5  Raum ")));
    QCOMPARE(rig.list()->item(5)->text(), kLogNoEntriesText);
    QCOMPARE(rig.list()->currentRow(), 0);
    QVERIFY(rig.messages.isEmpty());
}

void TestLogbookPage::fromStartAndClear() {
    PageRig rig;
    rig.sim.seed(120);
    rig.click("Logbuch_Button");
    QVERIFY(rig.waitIdle());
    rig.click("Logbuch_Button");
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.list()->item(0)->text().left(5), QStringLiteral("   20"));
    QVERIFY(rig.list()->item(99)->text().isEmpty());

    rig.click("Logbuch_Anfang");
    QVERIFY(rig.link.written().endsWith("slaslrsld"));
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.list()->item(0)->text().left(5), QStringLiteral("  120"));

    rig.click("Logbuch_Loeschen");
    QVERIFY(rig.link.written().endsWith("sll"));
    for (int r = 0; r < rig.list()->count(); ++r)
        QVERIFY(rig.list()->item(r)->text().isEmpty());
    QVERIFY(rig.buttonsEnabled(true));
}

void TestLogbookPage::exportShowsProgress() {
    PageRig rig;
    rig.sim.seed(40);
    rig.link.setBytesPerSecond(20000); // slow enough to see the bar while it runs
    QTemporaryDir dir;
    rig.savePath = dir.filePath(QStringLiteral("Logbuch.vlf"));
    rig.click("Logbuch_save_Button");
    QCOMPARE(rig.dialogs, 1);
    QVERIFY(!rig.bar()->isHidden());
    QVERIFY(rig.buttonsEnabled(false));
    QTRY_COMPARE(rig.bar()->maximum(), 40);
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.bar()->isHidden());
    QCOMPARE(rig.bar()->value(), 40);
    QVERIFY(rig.buttonsEnabled(true));
    QFile file(rig.savePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("\r\n"), 1 + 40 + 1);
}

void TestLogbookPage::exportCancelledSendsNothing() {
    PageRig rig;
    rig.savePath.clear();
    rig.click("Logbuch_save_Button");
    QCOMPARE(rig.dialogs, 1);
    QVERIFY(rig.link.written().isEmpty());
    QVERIFY(rig.buttonsEnabled(true));
    QVERIFY(rig.bar()->isHidden());
}

void TestLogbookPage::exportFileError() {
    PageRig rig;
    QTemporaryDir dir;
    rig.savePath = dir.filePath(QStringLiteral("missing/Logbuch.vlf"));
    rig.click("Logbuch_save_Button");
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY(rig.messages[0].startsWith(QStringLiteral("Kann Logbuch-File nicht anlegen")));
    QVERIFY(rig.link.written().isEmpty());
    QVERIFY(rig.buttonsEnabled(true));
    QVERIFY(rig.bar()->isHidden());
    QCOMPARE(rig.session.activity(), Activity::Idle);
}

void TestLogbookPage::timeoutBringsButtonsBack() {
    PageRig rig;
    rig.link.setMute(true);
    rig.transfer.setSilenceTimeout(50);
    QTemporaryDir dir;
    rig.savePath = dir.filePath(QStringLiteral("Logbuch.vlf"));
    rig.click("Logbuch_save_Button");
    QVERIFY(rig.buttonsEnabled(false));
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.buttonsEnabled(true));
    QVERIFY(rig.bar()->isHidden());
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY(!QFile::exists(rig.savePath));
}

void TestLogbookPage::pollCycleDisablesButtons() {
    PageRig rig;
    rig.page.setButtonsEnabled(false);
    QVERIFY(rig.buttonsEnabled(false));
    rig.page.setButtonsEnabled(true);
    QVERIFY(rig.buttonsEnabled(true));
}

QTEST_MAIN(TestLogbookPage)
#include "tst_logbookpage.moc"
