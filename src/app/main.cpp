#include "DesktopProgram.h"
#include "InterfaceFont.h"
#include "MainWindow.h"
#include "QtGermanTranslation.h"

#include "files/ProgramSettings.h"
#include "serial/PortLink.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

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
    return app.exec();
}
