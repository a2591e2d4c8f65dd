#pragma once

#include <QString>
#include <optional>

namespace korvane {

// What the model text of the "smo" reply says about the controller.
// 1-based character positions: 9 "W" conservatory, 11 motor count,
// 13 switch-time slots per motor and day, 14 "S" sensor, 15 "T" key-press.
struct ModelInfo {
    bool sensor = false;
    bool conservatory = false;
    bool keyAutomatic = false;
    int motorCount = 0;
    int slotsPerMotor = 0;

    bool hasOutdoorAutomatics() const { return sensor || conservatory; }
    bool operator==(const ModelInfo&) const = default;
};

struct ModelParse {
    ModelInfo info;
    // False when character 11 or 13 is missing or no digit 1 .. 8 (the
    // tables hold eight motors and eight slots, and a model without any is
    // none): the counts in `info` are then the previous ones.
    bool countsValid = true;
};

// Reads the flags from `text`; the counts fall back to `previous` when the text
// does not carry them as digits 1 .. 8.
ModelParse parseModel(const QString& text, const ModelInfo& previous);

} // namespace korvane
