#pragma once

#include "params/ParameterSet.h"
#include "session/ModelInfo.h"

#include <QStringList>

namespace korvane {

// A model that carries everything: eight motors, eight slots, every block.
ModelInfo fullModel();

// The differences between two parameter sets, one German line per changed
// field, in the words of the pages: what, where, caption, old and new item
// text, e.g. "Beschattung · Motor 3 (Küche) · Standard · Grenz- Lux-Wert: 244 → 200".
// Only what a read-all of `scope` fetches is compared: its motors, slots and
// requests. Motor names in a line are those of `after`. Changed flags and the
// profile the pages show are no settings and are not compared.
QStringList parameterDifferences(const ParameterSet& before, const ParameterSet& after,
                                 const ModelInfo& scope);

// The set as a controller keeps it: each motor name as its 12-character
// Windows-1252 cell, trailing blanks dropped. Compare a controller's set with a
// file's through this on both sides.
ParameterSet asControllerKeeps(ParameterSet set);

} // namespace korvane
