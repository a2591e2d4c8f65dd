#pragma once

#include <QString>

namespace korvane {

// The controller's documentation draws directions with a symbol font: "é" up,
// "ê" down, "¡" neither. The pages show them as real arrows and a circle;
// list rows, the wire and the settings file keep their own characters.
QString symbolDisplayText(const QString& text);

} // namespace korvane
