#include "InterfaceFont.h"

#include <QApplication>
#include <QFont>

namespace korvane {

void installInterfaceFont() {
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), font.family()});
    font.setPointSize(8);
    QApplication::setFont(font);
}

} // namespace korvane
