#pragma once

#include <QFont>

namespace korvane {

// The font of the fixed-pitch lists and their headings: Courier New, or the
// metric-compatible Liberation Mono where Courier New is not installed.
QFont fixedPitchFont(int pointSize = 9);

} // namespace korvane
