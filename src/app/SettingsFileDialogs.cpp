#include "SettingsFileDialogs.h"

#include <QFileDialog>

namespace korvane {
namespace {

const QString kVtsFilter = QStringLiteral("Vendrix Schaltzeiten (*.vts)");

QString chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void setUpSettingsSaveDialog(QFileDialog& dialog) {
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(kVtsFilter);
    dialog.setDefaultSuffix(QStringLiteral("vts"));
    // Qt's own dialog adds the suffix before its question about replacing a
    // file; a platform dialog may ask about the name as typed.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
}

QString runSettingsSaveDialog(QWidget* parent) {
    QFileDialog dialog(parent);
    setUpSettingsSaveDialog(dialog);
    return chosenFile(dialog);
}

QString runSettingsOpenDialog(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(kVtsFilter);
    return chosenFile(dialog);
}

} // namespace korvane
