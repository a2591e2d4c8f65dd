#pragma once

#include <QObject>
#include <QString>
#include <array>

namespace korvane {

// The 14 texts of the main window's status bar. The core writes them; the
// desktop program mirrors them, the command line reads them.
class StatusPanels : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 14;
    enum Panel {
        Model = 0,   // model text or "Keine Verbindung"
        Version = 1, // "V" + firmware version
        Date = 2,    // controller date
        Time = 3,    // controller time
        Unused = 4,
        Error = 5,    // block and transfer errors
        Activity = 6, // block being read or sent
        Sun = 7,
        Wind = 8,
        Outside = 9,
        Inside = 10,
        Rx = 11, // "RxD: " + received bytes
        Tx = 12, // "TxD: " + sent bytes
        Trace = 13,
    };

    using QObject::QObject;

    QString text(int panel) const { return m_texts.at(panel); }
    void setText(int panel, const QString& text);
    // All panels empty, then panel 0 "Keine Verbindung".
    void resetToDisconnected();

Q_SIGNALS:
    void changed(int panel, const QString& text);

private:
    std::array<QString, kCount> m_texts;
};

inline const QString kNoConnectionText = QStringLiteral("Keine Verbindung");

} // namespace korvane
