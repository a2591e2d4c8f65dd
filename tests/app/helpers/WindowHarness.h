#pragma once

#include "ControllerPage.h"
#include "FakeLink.h"
#include "MainWindow.h"
#include "params/ParameterSet.h"
#include "session/ControllerSession.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <array>
#include <memory>

namespace korvane::test {

using FakeSerialLink = ::FakeLink;

inline const QStringList kConnectionButtonNames{
    QStringLiteral("Send_Button"),         QStringLiteral("Read_Button"),
    QStringLiteral("Logbuch_Button"),      QStringLiteral("Logbuch_Anfang"),
    QStringLiteral("Logbuch_save_Button"), QStringLiteral("Logbuch_Loeschen"),
};

// A main window over a fake link, with stand-ins for the switch-time and
// logbook content (the named buttons, progress bars, port drop-down and
// Label21), a settings file in a temporary directory and recorded messages.
class WindowHarness {
public:
    // `ini`: content of Korvane.ini; nullptr: no file.
    explicit WindowHarness(const char* ini = nullptr) {
        QFile file(iniPath());
        if (ini && file.open(QIODevice::WriteOnly))
            file.write(ini);
        const int manualOnly = 3600 * 1000; // the test drives every tick itself
        session.setTimerIntervals(manualOnly, manualOnly, manualOnly);
        window = std::make_unique<MainWindow>(session, iniPath());
        window->attachParameters(params);
        window->setMessagePresenter([this](const QString& text) { messages.append(text); });

        QWidget* switchTimes = content(kConnectionButtonNames.mid(0, 2), "ProgressBar");
        auto* port = named(new QComboBox, "Combo_PortNum");
        for (int n = 1; n <= 8; ++n)
            port->addItem(QStringLiteral("COM %1").arg(n));
        switchTimes->layout()->addWidget(port);
        switchTimes->layout()->addWidget(named(new QLabel, "Label21"));
        window->setSwitchTimeContent(switchTimes);
        window->setLogbookContent(content(kConnectionButtonNames.mid(2), "LogbuchProgressBar"));
    }

    QString iniPath() const { return dir.filePath("Korvane.ini"); }
    // Shows the window and waits for the start-up to have run.
    bool activate() {
        window->show();
        return QTest::qWaitFor([this] { return window->isActivated(); });
    }
    // The controller reports `model`; one poll tick evaluates it.
    void connectModel(const QByteArray& model) {
        link.reply("smo", model);
        session.pollTick();
    }
    // An "skd" reply with these 16 values.
    void sendLiveValues(const std::array<int, 16>& values) {
        QByteArray payload;
        for (int v : values)
            payload += QByteArray::number(v) + ',';
        link.reply("skd", payload);
    }
    template <typename T = QWidget> T* find(const QString& name) const {
        return window->findChild<T*>(name);
    }
    // Whether `name` shows when its tab page is shown (hidden itself or
    // inside a hidden group both count as not shown).
    bool shownOnPage(const QString& name) const {
        QWidget* widget = find(name);
        QWidget* page = widget;
        while (page && !qobject_cast<ControllerPage*>(page))
            page = page->parentWidget();
        return widget && widget->isVisibleTo(page ? page : window.get());
    }
    // The text of the line edit or label `name`.
    QString text(const QString& name) const {
        if (auto* field = find<QLineEdit>(name))
            return field->text();
        if (auto* label = find<QLabel>(name))
            return label->text();
        return QStringLiteral("<no widget %1>").arg(name);
    }

    QTemporaryDir dir;
    FakeSerialLink link;
    ControllerSession session{&link};
    ParameterSet params;
    QStringList messages;
    std::unique_ptr<MainWindow> window;

private:
    static QWidget* content(const QStringList& buttons, const QString& progressBar) {
        auto* widget = new QWidget;
        auto* layout = new QVBoxLayout(widget);
        for (const QString& name : buttons)
            layout->addWidget(named(new QPushButton(name), name));
        layout->addWidget(named(new QProgressBar, progressBar));
        return widget;
    }
    template <typename W> static W* named(W* widget, const QString& name) {
        widget->setObjectName(name);
        return widget;
    }
};

} // namespace korvane::test
