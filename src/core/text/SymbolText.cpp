#include "text/SymbolText.h"

namespace korvane {

QString symbolDisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QChar(0x00E9), QChar(0x2191)); // é -> ↑
    shown.replace(QChar(0x00EA), QChar(0x2193)); // ê -> ↓
    shown.replace(QChar(0x00A1), QChar(0x25CB)); // ¡ -> ○
    return shown;
}

} // namespace korvane
