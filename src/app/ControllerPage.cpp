#include "ControllerPage.h"

#include "PageWidgets.h"

#include <QLabel>

namespace korvane {

ControllerPage::ControllerPage(const QString& objectName, QWidget* parent) : QWidget(parent) {
    setObjectName(objectName);
}

void ControllerPage::applyModel(const ModelInfo&) {}

void ControllerPage::showLiveValues(const LiveDisplay&) {}

void ControllerPage::setAlternativeProfileShown(bool shown) {
    if (m_profileLabel)
        m_profileLabel->setVisible(shown);
}

QLabel* ControllerPage::createAlternativeProfileLabel(const QString& objectName) {
    Q_ASSERT(!m_profileLabel);
    m_profileLabel = makeAlternativeProfileLabel(objectName, this);
    return m_profileLabel;
}

} // namespace korvane
