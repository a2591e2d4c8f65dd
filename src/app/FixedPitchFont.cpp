#include "FixedPitchFont.h"

#include <QStringList>

namespace korvane {

QFont fixedPitchFont(int pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return font;
}

} // namespace korvane
