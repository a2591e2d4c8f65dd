// The desktop program against the simulator on a pseudo-terminal.

#include "../app/helpers/WindowHarness.h"
#include "Simulator.h"
#include "SwitchTimePage.h"

#include "serial/QtSerialLink.h"
#include "session/ParameterTransfer.h"

#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

using namespace korvane;

class TestDesktopSim : public QObject {
    Q_OBJECT

    // The parameter values without their Changed flags.
    static ParameterSet values(ParameterSet set) {
        applyChangedEvent(set, ChangedEvent::SendAllDone);
        return set;
    }

    struct Rig {
        QTemporaryDir dir;
        Simulator sim;
        QtSerialLink link;
        std::unique_ptr<DesktopProgram> program;
        QStringList messages;

        // `recorded`: messages are recorded instead of shown in the program's boxes.
        explicit Rig(bool recorded = true) : sim(SimModel(SimModel::Variant::Conservatory, 8, 8)) {
            QVERIFY(sim.start(tty())); // a hang-up replaces the device; the link follows
            const QString ini = dir.filePath("Korvane.ini");
            QVERIFY(test::writeBytes(ini, "1\r\nCOM1=" + tty().toLocal8Bit() +
                                              "\r\nCOM5=/nonexistent/ttyKorvane\r\n"));
            program = std::make_unique<DesktopProgram>(link, ini);
            if (recorded)
                program->window().setMessagePresenter([this](const QString& t) { messages << t; });
            program->session().setTimerIntervals(150, 600, 100);
            program->transfer().setTimeouts(800, 800);
            program->window().show();
        }
        QString tty() const { return dir.filePath("tty"); }
        MainWindow& window() { return program->window(); }
        ParameterSet& params() { return program->params(); }
        template <typename T> T* find(const char* name) { return window().findChild<T*>(name); }
        void choose(const char* combo, int index) { test::choose(find<QComboBox>(combo), index); }
        void click(const char* name) {
            auto* button = find<QPushButton>(name);
            QVERIFY2(button, name);
            QTRY_VERIFY2(button->isEnabled(), name);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        bool idle() { return program->session().activity() == Activity::Idle; }
        bool connected() { return program->session().isConnected(); }
        // Clicks `button`; whether the pages rest and `done` reports success.
        template <typename Signal> bool transfer(const char* button, Signal done) {
            QSignalSpy spy(&program->transfer(), done);
            click(button);
            return !window().tabs()->isEnabled() &&
                   QTest::qWaitFor([&] { return !spy.isEmpty(); }, 15000) &&
                   spy.first().first().toBool();
        }
    };

private Q_SLOTS:
    // Edits in both profiles survive a send-all and read-all; then files, manual
    // control, a stalled read-all and a clock that refuses sending.
    void sessionAgainstTheSimulator() {
        Rig r;
        QTRY_VERIFY_WITH_TIMEOUT(r.connected(), 5000);
        r.sim.controller().parameters().applyName({"3", "Kueche      ", "Kueche      "}, nullptr);
        QVERIFY(r.transfer("Read_Button", &ParameterTransfer::readAllFinished));
        QCOMPARE(r.params().motorNames.name(2), QStringLiteral("Kueche      "));
        QCOMPARE(r.params().switchTimes.changedCount(), 0);
        QVERIFY(r.window().tabs()->isEnabled());
        QVERIFY(r.find<QProgressBar>("ProgressBar")->isHidden());
        const int rx = r.program->session().rxCount(); // polling resumes
        QTRY_VERIFY_WITH_TIMEOUT(r.program->session().rxCount() > rx + 10, 3000);

        const auto doubleClickRow = [&](const char* list, int row) {
            Q_EMIT r.find<QListWidget>(list)->doubleClicked(
                test::rowIndex(r.find<QListWidget>(list), row));
        };
        for (const char* list : {"BA_Liste", "DM_Liste", "EW_Liste", "ER_Liste", "RA_Liste",
                                 "Tast_Liste", "PT_Liste", "IT_Liste", "RelF_Liste", "AT_Liste"})
            doubleClickRow(list, 2);
        r.params().motorNames.setName(0, QStringLiteral("K\u00FCche"));
        r.choose("CB_Schaltzeit", 6 * 60 + 30 + 1); // Monday, motor 1, slot 1
        r.choose("BA_Lux", 55);
        r.choose("EW_Richtung", 1);
        r.choose("IT_Schwelle_2", 40);
        r.choose("AT_Auf_Ab", 2);
        r.choose("OffsetInnentemperatur", 7);
        test::clickItem(r.find<QListWidget>("AS_2"), 2);
        r.choose("AktivesProfil", 1); // from here on the pages edit profile 1
        doubleClickRow("RelF_Liste", 4);
        r.choose("RelF_Stellzeit", 190);
        QVERIFY(r.transfer("Send_Button", &ParameterTransfer::sendAllFinished));

        ParameterSet mine = r.params();
        r.params() = ParameterSet();
        QVERIFY(r.transfer("Read_Button", &ParameterTransfer::readAllFinished));
        for (const BlockDescription& b : blockDescriptions())
            for (int profile : {0, 1})
                for (int m = 0; m < kMotorCount; ++m)
                    QVERIFY2(r.params().record(b.id, profile, m).value ==
                                 mine.record(b.id, profile, m).value,
                             b.recordName);
        QCOMPARE(r.params().motorNames.name(0), QStringLiteral("K\u00FCche       "));
        QCOMPARE(r.params().switchTimes.at(0, 0, 0).time, 6 * 60 + 30 + 1);
        QVERIFY(r.params().switchTimes == mine.switchTimes);
        QCOMPARE(r.params().record(BlockId::Shading, 0, 2).value[BA_Record::Lux], 55);
        QCOMPARE(r.params().record(BlockId::Humidity, 1, 4).value[0], kOn);
        QCOMPARE(r.params().alarmSetup, mine.alarmSetup);
        QCOMPARE(r.params().systemParams, mine.systemParams);
        QCOMPARE(r.params().activeProfile, 1);

        // The settings file through its buttons; a damaged one costs a message.
        const QString file = r.dir.filePath("anlage.vts");
        r.program->setFileDialogs([&] { return file; }, [&] { return file; });
        r.params().motorNames.setName(1, QStringLiteral("Bad"));
        r.click("SaveToDisk_Button");
        r.params().motorNames.setName(1, QStringLiteral("Flur"));
        r.click("Read_From_Disk");
        QCOMPARE(r.params().motorNames.name(1), QStringLiteral("Bad"));
        const ParameterSet loaded = r.params();
        QByteArray bytes = test::fileBytes(file);
        QVERIFY(test::writeBytes(file, bytes.replace(bytes.indexOf("Dauer=", 2000) + 6, 1, "x")));
        r.click("Read_From_Disk");
        QCOMPARE(r.messages.size(), 1);
        QVERIFY(r.params() == loaded);

        QString traces; // one line each
        connect(&r.sim.controller(), &SimController::trace, this,
                [&](const QString& line) { traces += line + '\n'; });
        r.window().tabs()->setCurrentIndex(MainWindow::Manual);
        test::clickItem(r.find<QListWidget>("HS_3"), 2);
        r.window().tabs()->setCurrentIndex(MainWindow::SwitchTimes);
        QTRY_VERIFY_WITH_TIMEOUT(traces.contains("manual mode off"), 3000);
        QVERIFY2(traces.contains("manual mode on\n") && traces.contains("\nmotor 3 down"),
                 qPrintable(traces));
        QVERIFY(!r.sim.controller().manualMode());

        // A stalled read-all leaves memory and the window usable.
        r.sim.setAnswering(false);
        r.click("Read_Button");
        QTRY_VERIFY_WITH_TIMEOUT(r.idle(), 5000);
        QCOMPARE(r.messages.value(1), ParameterTransfer::kReadTimeoutText);
        QVERIFY(r.params() == loaded);
        QVERIFY(r.window().tabs()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!r.connected(), 3000);
        r.sim.setAnswering(true);
        QTRY_VERIFY_WITH_TIMEOUT(r.connected(), 3000);

        // A clock the controller has not decoded yet refuses sending.
        r.sim.controller().setDateText(QStringLiteral("01.01.00"));
        QTRY_COMPARE_WITH_TIMEOUT(r.program->session().panels().text(StatusPanels::Date),
                                  QStringLiteral("01.01.00"), 5000);
        r.click("Send_Button");
        QCOMPARE(r.messages.mid(2), QStringList{ParameterTransfer::kDateNotSetMessage});
        QVERIFY(r.idle());
    }

    // The program's own message boxes: a failed read-all's message leaves the
    // line running while it is shown. A hang-up while polling and during a
    // read-all shows "Keine Verbindung", keeps the data and reconnects once the
    // device is back.
    void lineFaultsKeepTheWindowAlive() {
        Rig r(false);
        ControllerSession& session = r.program->session();
        session.setReopenInterval(100);
        QTRY_VERIFY_WITH_TIMEOUT(r.connected(), 5000);
        QVERIFY(r.transfer("Read_Button", &ParameterTransfer::readAllFinished));
        const ParameterSet before = r.params();
        const QString model = session.panels().text(StatusPanels::Model);

        // Each box as it shows: its text, the model panel, RxD and the
        // connection while it is open; OK two seconds later.
        struct Shown {
            QString text, modelPanel;
            qint64 rxFirst = 0, rxLast = 0;
            bool connected = true;
            int ticks = 0;
        };
        QList<Shown> shown;
        const auto openBox = [&]() -> QMessageBox* {
            for (QMessageBox* box : r.window().findChildren<QMessageBox*>())
                if (box->isVisible())
                    return box;
            return nullptr;
        };
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            QMessageBox* box = openBox();
            if (!box)
                return;
            if (!box->property("seen").toBool()) {
                box->setProperty("seen", true);
                shown.append({box->text(), session.panels().text(StatusPanels::Model),
                              session.rxCount(), session.rxCount()});
            }
            Shown& s = shown.last();
            s.rxLast = session.rxCount();
            s.connected = s.connected && r.connected();
            if (++s.ticks == 20)
                box->button(QMessageBox::Ok)->click();
        });
        watcher.start(100);

        r.sim.setFaults(*SimFaults::fromName("drop=sbp"));
        r.click("Read_Button");
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() == 1 && !openBox(), 20000);
        QVERIFY2(shown[0].text.startsWith("Lesen unvollst\u00E4ndig: Beschattung"),
                 qPrintable(shown[0].text));
        QVERIFY2(shown[0].rxLast > shown[0].rxFirst + 500, "polling stood still");
        QVERIFY(shown[0].connected);
        QVERIFY(r.params() == before);

        r.sim.setFaults(*SimFaults::fromName("hangup=0"));
        QTRY_COMPARE_WITH_TIMEOUT(session.panels().text(StatusPanels::Model), kNoConnectionText,
                                  2000);
        QVERIFY(!r.connected());
        QTRY_VERIFY_WITH_TIMEOUT(r.connected(), 5000);
        QCOMPARE(session.panels().text(StatusPanels::Model), model);

        r.sim.setFaults(*SimFaults::fromName("hangup=5000"));
        r.click("Read_Button");
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() == 2 && !openBox(), 20000);
        QCOMPARE(shown[1].text, "Verbindung zur Steuerung verloren: die Schnittstelle " + r.tty() +
                                    " wurde getrennt.");
        QCOMPARE(shown[1].modelPanel, kNoConnectionText);
        QVERIFY(values(r.params()) == values(before)); // a lost line marks them for sending
        QVERIFY(r.window().tabs()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(r.connected(), 5000);
    }
};

QTEST_MAIN(TestDesktopSim)
#include "tst_desktop_sim.moc"
