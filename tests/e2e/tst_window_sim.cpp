// The main window with the real serial link against the simulated controller
// on a pseudo-terminal, at the program's own timer periods: it connects,
// shows the model and live values, notices a silent line and recovers.

#include "MainWindow.h"
#include "Simulator.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace korvane;

namespace {

QString labelText(const MainWindow& w, const char* name) {
    auto* label = w.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

class TestWindowSim : public QObject {
    Q_OBJECT

    struct Rig {
        QTemporaryDir dir;
        Simulator sim;
        QtSerialLink link;
        ControllerSession session{&link};
        std::unique_ptr<MainWindow> window;
        QPushButton* readButton = nullptr;
        QStringList messages;

        explicit Rig(const SimModel& model) : sim(model) {
            QVERIFY(sim.start());
            QFile ini(dir.filePath("Korvane.ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("2\r\nCOM2=" + sim.slavePath().toLocal8Bit() + "\r\n");
            ini.close();
            window = std::make_unique<MainWindow>(session, dir.filePath("Korvane.ini"));
            window->setMessagePresenter([this](const QString& t) { messages.append(t); });
            auto* content = new QWidget;
            readButton = new QPushButton("Daten von Steuerung lesen", content);
            readButton->setObjectName("Read_Button");
            (new QVBoxLayout(content))->addWidget(readButton);
            window->setSwitchTimeContent(content);
            window->show();
        }
    };

private Q_SLOTS:
    void connectsShowsValuesAndRecovers() {
        Rig r(SimModel(SimModel::Variant::Sensor, 6, 4));
        const QString model = SimModel(SimModel::Variant::Sensor, 6, 4).text();
        QTRY_VERIFY(r.window->isActivated());
        QCOMPARE(r.link.device(), r.sim.slavePath());

        // Two poll periods bring model, version, date, time and live values.
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*r.window, "StatusBar1_Panel0"), model, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*r.window, "StatusBar1_Panel1").startsWith('V'), 3000);
        QTRY_VERIFY(!labelText(*r.window, "StatusBar1_Panel2").isEmpty());
        QTRY_VERIFY(!labelText(*r.window, "StatusBar1_Panel3").isEmpty());
        QTRY_VERIFY(labelText(*r.window, "StatusBar1_Panel7").startsWith("Sonne: "));
        QTRY_VERIFY(r.window->findChild<QLineEdit*>("AktWind")->text().endsWith(" km/h"));
        QTRY_VERIFY(r.window->findChild<QWidget*>("KeineVerbindung_Label")->isHidden());
        QVERIFY(r.readButton->isEnabled());
        // A sensor model without conservatory: no conservatory page.
        QTRY_VERIFY(!r.window->tabs()->isTabVisible(MainWindow::Conservatory));
        QVERIFY(r.window->tabs()->isTabVisible(MainWindow::WindRain));
        // The first connected poll remembered the port.
        QFile ini(r.dir.filePath("Korvane.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().startsWith("2\r\nCOM2="));

        // The controller falls silent: the window says so and locks the buttons.
        r.sim.setAnswering(false);
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*r.window, "StatusBar1_Panel0"),
                                  QString("Keine Verbindung"), 6000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !r.window->findChild<QWidget*>("KeineVerbindung_Label")->isHidden(), 2000);
        QTRY_VERIFY(!r.readButton->isEnabled());

        // It answers again: back without any user action.
        r.sim.setAnswering(true);
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*r.window, "StatusBar1_Panel0"), model, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(r.readButton->isEnabled(), 3000);
        QVERIFY(r.window->findChild<QWidget*>("KeineVerbindung_Label")->isHidden());
        QVERIFY(r.messages.isEmpty());
    }
};

QTEST_MAIN(TestWindowSim)
#include "tst_window_sim.moc"
