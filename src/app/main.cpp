#include "DesktopProgram.h"
#include "HistoryPage.h"
#include "InterfaceFont.h"
#include "MainWindow.h"
#include "QtGermanTranslation.h"

#include "files/ProgramSettings.h"
#include "history/HistoryStore.h"
#include "serial/PortLink.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    // The standard dialogs (file dialogs, message-box buttons) speak German
    // like the rest of the program, with Qt's own translations.
    korvane::installQtGermanTranslation(&app);
    korvane::installInterfaceFont();

    const korvane::ProgramSettings::Location ini = korvane::ProgramSettings::locate();
    korvane::PortLink link;
    korvane::DesktopProgram program(link, ini.path);
    program.window().show();
    // Started where it may not write (e.g. from a read-only folder), the
    // program keeps Korvane.ini in the user's configuration folder; the user
    // is told once, before that file exists.
    if (ini.fallback && !QFileInfo::exists(ini.path))
        QMessageBox::information(
            &program.window(), QStringLiteral("Korvane"),
            QStringLiteral("Das Arbeitsverzeichnis ist nicht beschreibbar. Die Einstellungen "
                           "(Korvane.ini) werden in %1 gespeichert.")
                .arg(ini.path));
    // The history on disk, unless the user switched recording off on "Verlauf".
    QSettings settings(QStringLiteral("Korvane"), QStringLiteral("Korvane"));
    const QString recordKey = QStringLiteral("Verlauf/Aufzeichnen");
    korvane::HistoryPage* history = program.window().historyPage();
    history->useDatabase(korvane::HistoryStore::defaultPath(),
                         settings.value(recordKey, true).toBool());
    QObject::connect(history, &korvane::HistoryPage::recordingSwitched,
                     [&settings, recordKey](bool on) { settings.setValue(recordKey, on); });
    return app.exec();
}
