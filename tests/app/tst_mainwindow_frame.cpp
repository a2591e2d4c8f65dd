// The main window as it comes up: frame, pages, status bar and start-up.
#include "InterfaceFont.h"
#include "helpers/WindowHarness.h"

#include "files/SettingsFile.h"

#include <QTabBar>

#include <cerrno>
#include <sys/stat.h>

using namespace korvane;
using namespace korvane::test;

class TestMainWindowFrame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installInterfaceFont(); }

    void frame() {
        WindowHarness h;
        QVERIFY(h.activate());
        QCOMPARE(h.window->objectName(), QString("TVendrix"));
        QCOMPARE(h.window->windowTitle(), QString("Korvane  V1.08f-5.400"));
        QVERIFY(h.find("KeineVerbindung_Label")->isVisible());

        // Until a controller answers, every page is offered, "Verlauf" last.
        QTabWidget* tabs = h.find<QTabWidget>("Parameter_Maske");
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            names << tabs->tabText(i) + (tabs->isTabVisible(i) ? "" : " (hidden)");
        QCOMPARE(names, (QStringList{"Schaltzeiten", "Beschattungs-/D\u00E4mmer.-Autom.",
                                     "Wind-, Regen-, Feuchte", "Wintergarten-Strg.", "Logbuch",
                                     "Handsteuerung, Tast-Aut., Reversier-Aut.", " Parameter",
                                     "Verlauf"}));
        // At the design size all eight are in sight, none behind the scroll arrows.
        QCOMPARE(h.window->size(), QSize(MainWindow::kDesignWidth, MainWindow::kDesignHeight));
        for (int i = 0; i < tabs->count(); ++i)
            QVERIFY2(tabs->tabBar()->rect().contains(tabs->tabBar()->tabRect(i)),
                     qPrintable(tabs->tabText(i)));

        // Start-up hides what only shows while something runs.
        const QStringList running{"ProgressBar", "LogbuchProgressBar", "DCF_LED",
                                  "Label_DCF77", "AP_Label1",          "AP_Label2",
                                  "AP_Label3",   "WindProgressBar"};
        QCOMPARE(h.hidden(running), running);
        h.window->setAlternativeProfileShown(true);
        QCOMPARE(h.hidden(running), running.mid(0, 4) + running.mid(7));
    }

    // A bad first line costs a message, not the start-up: the port is opened.
    void portFromSettingsFile() {
        // ini (nullptr: no file), port, device, warned
        const std::tuple<const char*, int, QString, bool> cases[] = {
            {nullptr, 1, "/dev/ttyS0", false},
            {"8", 8, "/dev/ttyS7", false}, // no line end
            {"3\r\nCOM3=/dev/ttyUSB0\r\n", 3, "/dev/ttyUSB0", false},
            {"drei\r\n", 1, "/dev/ttyS0", true},
            {"2\nCOM 2 = /dev/ttyACM0\nCOM9=/dev/x\n", 2, "/dev/ttyACM0", true},
            {"2\nCOM2=/dev/ttyUSB1\nCOM2=/dev/ttyS0\n", 2, "/dev/ttyUSB1", true}}; // twice
        for (const auto& [ini, port, device, warned] : cases) {
            WindowHarness h(ini);
            QVERIFY(h.activate());
            QCOMPARE(h.messages.size(), warned ? 1 : 0);
            QCOMPARE(h.link.openedDevices, QStringList{device});
            QVERIFY(h.link.isOpen());
            QCOMPARE(h.window->portNumber(), port);
            QCOMPARE(h.find<QComboBox>("Combo_PortNum")->currentText(),
                     QStringLiteral("COM %1").arg(port));
        }
    }

    void portOpenFailureIsReported() {
        WindowHarness h;
        h.link.openError = ENOENT;
        QVERIFY(h.activate());
        QCOMPARE(h.messages, QStringList{"Specified device not found (/dev/ttyS0)."});
        QCOMPARE(h.text("StatusBar1_Panel0"), QString("Keine Verbindung"));
    }

    void settingsFileWrittenAfterFirstConnection() {
        WindowHarness h("drei\r\nCOM1=/dev/ttyUSB1\r\n");
        QVERIFY(h.activate());
        QCOMPARE(h.link.openedDevices, QStringList{"/dev/ttyUSB1"});
        h.connectModel("RS-8000   8 8  ");
        QCOMPARE(fileBytes(h.iniPath()), QByteArray("1\r\nCOM1=/dev/ttyUSB1\r\n"));
    }

    // "Lesen von Datenträger": a refused file costs a message and changes nothing; a name that
    // the controller cuts is told after the load, from the event loop, not inside it.
    void settingsFileLoad() {
        WindowHarness h;
        QVERIFY(h.activate());
        ParameterSet set;
        set.motorNames.setName(2, QStringLiteral("Badezimmer oben"));
        const QByteArray good = settingsFileBytes(set);
        const QString file = h.dir.filePath("anlage.vts");
        const QString fifo = h.dir.filePath("fifo.vts");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QString chosen;
        h.program->setFileDialogs({}, [&] { return chosen; });
        // file bytes (none: the FIFO), loaded, message
        const std::tuple<QByteArray, bool, QString> cases[] = {
            {QByteArray(good).replace("Funktion=Normal", "Funktion=Foo"), false,
             "Zeile 17 der Datei:\nFunktion=Foo\nDer Wert ist keiner der Werte dieser Zeile "
             "(Normal, Astro, Zufall)."},
            {{}, false, "sondern eine Pipe (FIFO)."},
            {good, true,
             "Der Name von Motor 3, \u201EBadezimmer oben\u201C, ist l\u00E4nger als 12 Zeichen; "
             "die Steuerung beh\u00E4lt davon nur \u201EBadezimmer o\u201C."}};
        for (const auto& [bytes, loaded, message] : cases) {
            chosen = bytes.isEmpty() ? fifo : file;
            QVERIFY(bytes.isEmpty() || writeBytes(file, bytes));
            const ParameterSet before = h.params();
            h.messages.clear();
            h.find<QPushButton>("Read_From_Disk")->click();
            QCOMPARE(h.messages.isEmpty(), loaded);
            QTRY_COMPARE(h.messages.size(), 1);
            QVERIFY2(h.messages.first().contains(message), qPrintable(h.messages.first()));
            QCOMPARE(h.params() == before, !loaded);
            QCOMPARE(h.params().motorNames.name(2) == "Badezimmer oben", loaded);
        }
    }

    void choosingPortReopensLink() {
        WindowHarness h;
        QVERIFY(h.activate());
        h.connectModel("RS-8000   8 8  ");
        QCOMPARE(h.text("StatusBar1_Panel0"), QString("RS-8000   8 8  "));
        auto* combo = h.find<QComboBox>("Combo_PortNum");
        h.window->choosePort(4);
        QCOMPARE(h.link.openedDevices.last(), QString("/dev/ttyS3"));
        QCOMPARE(combo->currentIndex(), 3);
        QCOMPARE(h.text("StatusBar1_Panel0"), QString("Keine Verbindung"));
        h.window->choosePort(9); // not a port: ignored
        QCOMPARE(h.link.openedDevices.size(), 2);
        // A port that does not open is reported; the choice stays.
        h.link.openError = ENOENT;
        h.window->choosePort(5);
        QCOMPARE(h.messages, QStringList{"Specified device not found (/dev/ttyS4)."});
        QCOMPARE(combo->currentIndex(), 4);
        h.link.openError = 0;
        h.window->choosePort(4);
        // Closing the window closes the port.
        QVERIFY(h.link.isOpen());
        h.window->close();
        QVERIFY(!h.link.isOpen());
    }
};

QTEST_MAIN(TestMainWindowFrame)
#include "tst_mainwindow_frame.moc"
