#include "session/StatusPanels.h"

namespace korvane {

void StatusPanels::setText(int panel, const QString& text) {
    if (panel < 0 || panel >= kCount || m_texts[panel] == text)
        return;
    m_texts[panel] = text;
    Q_EMIT changed(panel, text);
}

void StatusPanels::resetToDisconnected() {
    for (int i = 0; i < kCount; ++i)
        setText(i, QString());
    setText(Model, kNoConnectionText);
}

} // namespace korvane
