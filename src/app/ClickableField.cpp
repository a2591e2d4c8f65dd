#include "ClickableField.h"

#include <QMouseEvent>

namespace korvane {
namespace {

constexpr int kLiveFieldWidth = 90;

void setUpLiveField(QLineEdit* field, const QString& objectName, const QString& text) {
    field->setObjectName(objectName);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setText(text);
    field->setFixedWidth(kLiveFieldWidth);
    // Opaque (filled like the page around its frame): a new value repaints the
    // field alone, not the page beneath it.
    field->setBackgroundRole(QPalette::Window);
    field->setAutoFillBackground(true);
}

} // namespace

ClickableField::ClickableField(const QString& objectName, const QString& text, QWidget* parent)
    : QLineEdit(parent) {
    setUpLiveField(this, objectName, text);
    setCursor(Qt::PointingHandCursor);
}

void ClickableField::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

QLineEdit* makeLiveField(const QString& objectName, const QString& text, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    setUpLiveField(field, objectName, text);
    return field;
}

} // namespace korvane
