#include "OpenMessageBox.h"

namespace korvane {

QMessageBox* openMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    auto* box = new QMessageBox(icon, QStringLiteral("Korvane"), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

} // namespace korvane
