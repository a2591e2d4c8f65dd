#include "text/EchoText.h"

namespace korvane {

QString echoText(QStringView text) {
    QString out;
    const bool cut = text.size() > kEchoLength;
    for (const QChar c : text.left(kEchoLength)) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            out += QChar(char16_t(0x2400 + u)); // the Control Pictures block
        else if (u == 0x7F)
            out += QChar(char16_t(0x2421));
        else if (c.category() == QChar::Other_Control)
            out += QChar(char16_t(0xFFFD));
        else
            out += c;
    }
    if (cut)
        out += QChar(char16_t(0x2026));
    return out;
}

} // namespace korvane
