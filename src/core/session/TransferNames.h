#pragma once

#include "blocks/BlockRecord.h"
#include "params/SystemParameters.h"

#include <QString>

namespace korvane {

// Short German names of the parameter groups, for the messages that say what
// a read-all missed or a send-all had refused.
QString blockTitle(BlockId id);     // "Beschattung"
QString paramTitle(SystemParam id); // "Zufalls-Zeitspanne"

} // namespace korvane
