#pragma once

#include "session/ModelInfo.h"

#include <QByteArray>
#include <QString>

namespace korvane {

// The controller variant the simulator plays: its model text (the "smo" reply)
// and what follows from it. Character positions of the text, 1-based:
// 1..8 type name, 9 "W" conservatory, 11 motor count, 13 slots per motor and
// day, 14 "S" sensor, 15 "T" key-press automatic.
class SimModel {
public:
    enum class Variant { Basic, Sensor, SensorKeyPress, Conservatory };

    SimModel() : SimModel(Variant::Conservatory) {}
    explicit SimModel(Variant variant, int motors = 8, int slots = 8);
    // Any text; the flags and counts are read from it as the program reads them.
    static SimModel fromText(const QString& text);

    const QString& text() const { return m_text; }
    const ModelInfo& info() const { return m_info; }
    // Counts clamped to what the wire can address (1..8); 8 when the text has
    // no digit there.
    int motorCount() const;
    int slotsPerMotor() const;

    // Builds a text with the layout above; `typeName` is cut or padded to 8.
    static QString composeText(const QString& typeName, bool conservatory, int motors, int slots,
                               bool sensor, bool keyPress);

private:
    QString m_text;
    ModelInfo m_info;
};

} // namespace korvane
