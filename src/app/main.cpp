#include "DesktopProgram.h"
#include "MainWindow.h"

#include "serial/QtSerialLink.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    // Lists that ask for Courier New get its metric twin where it is missing.
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    // The window is laid out for an 8-point interface font of Arial's widths.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), font.family()});
    font.setPointSize(8);
    QApplication::setFont(font);

    korvane::QtSerialLink link;
    korvane::DesktopProgram program(link);
    program.window().show();
    return app.exec();
}
