#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace korvane {

// The save and open dialogs of the settings file ("SaveDialog1",
// "OpenDialog1"). The save dialog adds ".vts" to a name without extension
// itself, so that it asks before replacing the file of that full name, as
// for any existing file.
void setUpSettingsSaveDialog(QFileDialog& dialog);
// Return the chosen path, or an empty string when the user cancelled.
QString runSettingsSaveDialog(QWidget* parent);
QString runSettingsOpenDialog(QWidget* parent);

} // namespace korvane
