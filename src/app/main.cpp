#include "MainWindow.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    // Lists that ask for Courier New get its metric twin where it is missing.
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));

    korvane::QtSerialLink link;
    korvane::ControllerSession session(&link);
    korvane::MainWindow window(session);
    window.show();
    return app.exec();
}
