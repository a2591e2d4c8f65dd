#pragma once

#include <QString>

namespace korvane {

// How many characters of a value a message echoes.
inline constexpr qsizetype kEchoLength = 40;

// `text` as a message quotes it: cut to kEchoLength characters and "…", and
// every control character drawn as its visible picture (NUL as "␀"), so that
// neither a long value nor a stray byte can flood or garble the message.
QString echoText(QStringView text);

} // namespace korvane
