#include "TemperatureDisplay.h"

#include "ClickableField.h"

#include <QFormLayout>
#include <QLineEdit>

namespace korvane {

TemperatureDisplay::TemperatureDisplay(const QString& title, const Names& names, QWidget* parent)
    : QGroupBox(title, parent), m_now(makeLiveField(names.now, QString(), this)),
      m_min(makeLiveField(names.min, QString(), this)),
      m_max(makeLiveField(names.max, QString(), this)) {
    setObjectName(names.group);
    // Room for "-99,9°" and no more: the pages are crowded.
    for (QLineEdit* field : {m_now, m_min, m_max})
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-99,9°")) + 12);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("aktuell"), m_now);
    layout->addRow(QStringLiteral("min."), m_min);
    layout->addRow(QStringLiteral("max."), m_max);
}

void TemperatureDisplay::setValues(const QString& now, const QString& min, const QString& max) {
    m_now->setText(now);
    m_min->setText(min);
    m_max->setText(max);
}

} // namespace korvane
