// The main window as it comes up: frame, pages, status bar and start-up.
#include "helpers/WindowHarness.h"

#include "StatusPanelBar.h"

#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace korvane;
using namespace korvane::test;

class TestMainWindowFrame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void frame();
    void tabPages_data();
    void tabPages();
    void statusPanels();
    void startupHidesTransientWidgets();
    void startupRunsOnce();
    void pageTexts();
    void portFromSettingsFile_data();
    void portFromSettingsFile();
    void portOpenFailureIsReported();
    void settingsFileWrittenAfterFirstConnection();
    void choosingPortReopensLink();
};

void TestMainWindowFrame::frame() {
    WindowHarness h;
    QVERIFY(h.activate());
    MainWindow& w = *h.window;
    QCOMPARE(w.objectName(), QString("TVendrix"));
    QCOMPARE(w.windowTitle(), QString("Korvane  V1.08f-5.400"));
    QCOMPARE(w.size(), QSize(808, 580));

    QCOMPARE(h.find<QLabel>("Label9")->text(), QString("Vendrix"));
    QLabel* noConnection = h.find<QLabel>("KeineVerbindung_Label");
    QCOMPARE(noConnection->text(), QString("Keine Verbindung"));
    QVERIFY(noConnection->isVisible());
    QCOMPARE(h.find<QLabel>("URL_Label")->text(), QString("www.vendrix.example"));
    for (const char* shape : {"Dot", "Shape1", "Shape2", "Shape3", "Shape4"})
        QCOMPARE(h.find(shape)->size(), QSize(9, 9));
}

void TestMainWindowFrame::tabPages_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("switch times") << 0 << "Schaltzeit_Maske"
                                  << "Schaltzeiten";
    QTest::newRow("shading") << 1 << "Beschattung_Maske"
                             << QString::fromUtf8("Beschattungs-/Dämmer.-Autom.");
    QTest::newRow("wind") << 2 << "Wind_Regen_Maske"
                          << "Wind-, Regen-, Feuchte";
    QTest::newRow("conservatory") << 3 << "Wintergarten_Maske"
                                  << "Wintergarten-Strg.";
    QTest::newRow("logbook") << 4 << "Alarm_Logbuch_Maske"
                             << "Logbuch";
    QTest::newRow("manual") << 5 << "Handsteuerung_Maske"
                            << "Handsteuerung, Tast-Aut., Reversier-Aut.";
    QTest::newRow("parameter") << 6 << "Parameter"
                               << " Parameter";
}

void TestMainWindowFrame::tabPages() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    WindowHarness h;
    QVERIFY(h.activate());
    QTabWidget* tabs = h.find<QTabWidget>("Parameter_Maske");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 7);
    QCOMPARE(tabs->tabPosition(), QTabWidget::South);
    QCOMPARE(tabs->widget(index)->objectName(), name);
    QCOMPARE(tabs->tabText(index), caption);
    // Until a controller answers, every page is offered.
    QVERIFY(tabs->isTabVisible(index));
}

void TestMainWindowFrame::statusPanels() {
    WindowHarness h;
    QVERIFY(h.activate());
    const QList<int> widths{100, 50, 60, 60, 0, 80, 185, 70, 60, 65, 65, 50, 50, 50};
    const QList<int> centred{0, 1, 2, 3, 6, 7, 8, 9, 10};
    QVERIFY(h.find("StatusBar1"));
    for (int i = 0; i < 14; ++i) {
        auto* panel = h.find<QLabel>(QStringLiteral("StatusBar1_Panel%1").arg(i));
        QVERIFY2(panel, qPrintable(QString::number(i)));
        QCOMPARE(panel->width(), widths[i]);
        QCOMPARE(bool(panel->alignment() & Qt::AlignHCenter), centred.contains(i));
        QCOMPARE(panel->text(), i == 0 ? QString("Keine Verbindung") : QString());
    }
}

void TestMainWindowFrame::startupHidesTransientWidgets() {
    WindowHarness h;
    QVERIFY(h.find("ProgressBar")->isVisibleTo(h.window.get()));
    QVERIFY(h.activate());
    for (const char* name : {"ProgressBar", "LogbuchProgressBar", "DCF_LED", "Label_DCF77",
                             "AP_Label1", "AP_Label2", "AP_Label3", "WindProgressBar"})
        QVERIFY2(h.find(name)->isHidden(), name);
    QCOMPARE(h.find<QLabel>("Label_DCF77")->text(),
             QString::fromUtf8("Indikator sollte bei störungsfreiem Empfang des "
                               "DCF77-Zeitsignals regelmäßig blinken. Ist dies nicht der "
                               "Fall, muss die Antennen-Ausrichtung angepasst werden."));
    QCOMPARE(h.find<QLabel>("AP_Label2")->text(), QString("Alternatives Profil ist aktiv"));
    h.window->setAlternativeProfileShown(true);
    for (const char* name : {"AP_Label1", "AP_Label2", "AP_Label3"})
        QVERIFY2(!h.find(name)->isHidden(), name);
}

void TestMainWindowFrame::startupRunsOnce() {
    WindowHarness h("2\r\n");
    QVERIFY(h.activate());
    h.window->hide();
    h.window->show();
    h.window->formActivate();
    QCoreApplication::processEvents();
    QCOMPARE(h.link.openedDevices, QStringList{"/dev/ttyS1"});
}

void TestMainWindowFrame::pageTexts() {
    WindowHarness h;
    for (const char* name : {"Tast_Liste", "RelF_Liste", "Tast_Label2", "RelF_Label_7"}) {
        const QFont font = h.find(name)->font();
        QVERIFY2(font.families().startsWith("Courier New"), name);
        QVERIFY2(QFontInfo(font).fixedPitch(), name);
    }
    QCOMPARE(h.find<QLabel>("Tast_Label2")->text(),
             QString("Motor / Raum        Ein/Aus     Aktivierungszeit"));
    for (int motor = 1; motor <= 8; ++motor) {
        QCOMPARE(h.find<QLabel>(QStringLiteral("HS_%1_Label").arg(motor))->text(),
                 QStringLiteral("Motor %1").arg(motor));
    }
    for (const char* name : {"BA_LuxAktuell", "DM_LuxAktuell", "DA_LuxAktuell"}) {
        QCOMPARE(h.find<QLineEdit>(name)->text(), QString("250"));
        QCOMPARE(h.find(name)->toolTip(),
                 QString("Durch Anklicken zwischen aktuellem und mittlerem Wert wechseln"));
    }
    QCOMPARE(h.find<QLineEdit>("AlarmStatus")->text(), QString("Kein Alarm"));
}

void TestMainWindowFrame::portFromSettingsFile_data() {
    QTest::addColumn<QByteArray>("ini"); // "-": no file
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("warned");
    QTest::newRow("no file") << QByteArray("-") << 1 << "/dev/ttyS0" << false;
    QTest::newRow("port 3") << QByteArray("3\r\n") << 3 << "/dev/ttyS2" << false;
    QTest::newRow("port 8, no line end") << QByteArray("8") << 8 << "/dev/ttyS7" << false;
    QTest::newRow("mapped device")
        << QByteArray("3\r\nCOM3=/dev/ttyUSB0\r\n") << 3 << "/dev/ttyUSB0" << false;
    QTest::newRow("not a number") << QByteArray("drei\r\n") << 1 << "/dev/ttyS0" << true;
    QTest::newRow("port 0") << QByteArray("0\r\n") << 1 << "/dev/ttyS0" << true;
    QTest::newRow("port 9") << QByteArray("9\r\n") << 1 << "/dev/ttyS0" << true;
    QTest::newRow("empty file") << QByteArray("") << 1 << "/dev/ttyS0" << true;
}

void TestMainWindowFrame::portFromSettingsFile() {
    QFETCH(QByteArray, ini);
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(bool, warned);
    WindowHarness h(ini == "-" ? nullptr : ini.constData());
    QVERIFY(h.activate());
    // A bad first line costs a message, not the start-up: the port is opened.
    QCOMPARE(h.messages.size(), warned ? 1 : 0);
    QCOMPARE(h.link.openedDevices, QStringList{device});
    QVERIFY(h.link.isOpen());
    QCOMPARE(h.window->portNumber(), port);
    QCOMPARE(h.find<QComboBox>("Combo_PortNum")->currentText(), QStringLiteral("COM %1").arg(port));
}

void TestMainWindowFrame::portOpenFailureIsReported() {
    WindowHarness h;
    h.link.openError = "Specified device not found (/dev/ttyS0).";
    QVERIFY(h.activate());
    QCOMPARE(h.messages, QStringList{"Specified device not found (/dev/ttyS0)."});
    QCOMPARE(h.find<QLabel>("StatusBar1_Panel0")->text(), QString("Keine Verbindung"));
}

void TestMainWindowFrame::settingsFileWrittenAfterFirstConnection() {
    WindowHarness h("drei\r\nCOM1=/dev/ttyUSB1\r\n");
    QVERIFY(h.activate());
    QCOMPARE(h.link.openedDevices, QStringList{"/dev/ttyUSB1"});
    h.session.pollTick(); // not connected: nothing written
    QFile file(h.iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("drei\r\nCOM1=/dev/ttyUSB1\r\n"));
    file.close();

    h.connectModel("RS-8000   8 8  ");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("1\r\nCOM1=/dev/ttyUSB1\r\n"));
}

void TestMainWindowFrame::choosingPortReopensLink() {
    WindowHarness h;
    QVERIFY(h.activate());
    h.connectModel("RS-8000   8 8  ");
    QCOMPARE(h.find<QLabel>("StatusBar1_Panel0")->text(), QString("RS-8000   8 8  "));
    h.window->choosePort(4);
    QCOMPARE(h.link.openedDevices.last(), QString("/dev/ttyS3"));
    QCOMPARE(h.find<QComboBox>("Combo_PortNum")->currentIndex(), 3);
    QCOMPARE(h.find<QLabel>("StatusBar1_Panel0")->text(), QString("Keine Verbindung"));
    h.window->choosePort(9); // not a port: ignored
    QCOMPARE(h.link.openedDevices.size(), 2);
    // Closing the window closes the port.
    QVERIFY(h.link.isOpen());
    h.window->close();
    QVERIFY(!h.link.isOpen());
}

QTEST_MAIN(TestMainWindowFrame)
#include "tst_mainwindow_frame.moc"
