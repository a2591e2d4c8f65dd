#pragma once

#include "FakeSerialLink.h"
#include "MainWindow.h"
#include "session/ControllerSession.h"

#include <QStringList>
#include <QTemporaryDir>
#include <array>
#include <memory>

namespace korvane::test {

// A main window over a fake link, with stand-ins for the switch-time and
// logbook content (the named buttons, progress bars, port drop-down and
// Label21), a settings file in a temporary directory and recorded messages.
class WindowHarness {
public:
    // `ini`: content of Korvane.ini; nullptr: no file.
    explicit WindowHarness(const char* ini = nullptr);
    ~WindowHarness();

    QString iniPath() const;
    // Shows the window and waits for the start-up to have run.
    bool activate();
    // The controller reports `model`; one poll tick evaluates it.
    void connectModel(const QByteArray& model);
    // An "skd" reply with these 16 values.
    void sendLiveValues(const std::array<int, 16>& values);

    template <typename T = QWidget> T* find(const QString& name) const {
        return window->findChild<T*>(name);
    }

    QTemporaryDir dir;
    FakeSerialLink link;
    ControllerSession session{&link};
    QStringList messages;
    std::unique_ptr<MainWindow> window;
};

inline const QStringList kConnectionButtonNames{
    QStringLiteral("Send_Button"),         QStringLiteral("Read_Button"),
    QStringLiteral("Logbuch_Button"),      QStringLiteral("Logbuch_Anfang"),
    QStringLiteral("Logbuch_save_Button"), QStringLiteral("Logbuch_Loeschen"),
};

} // namespace korvane::test
