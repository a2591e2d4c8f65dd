#pragma once

class QObject;

namespace korvane {

// Loads Qt's own German translations (Debian: qt6-translations-l10n) from
// Qt's translations folder and installs them, so that file dialogs and
// message-box buttons speak German. The translator is a child of `owner`.
// False when the translations are not installed: the dialogs stay English.
bool installQtGermanTranslation(QObject* owner);

} // namespace korvane
