#include "ControllerPage.h"

#include "BlockEditor.h"
#include "PageWidgets.h"

#include <QBoxLayout>
#include <QGroupBox>
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

void ControllerPage::attachParameters(ParameterSet&) {}

void ControllerPage::refreshView() {
    for (BlockEditor* editor : m_editors)
        editor->refreshView();
}

void ControllerPage::enterPage() {
    refreshView();
}

void ControllerPage::leavePage() {}

void ControllerPage::rebuildBlockRows(BlockId id) {
    if (BlockEditor* editor = blockEditor(id))
        editor->rebuildRows();
}

BlockEditor* ControllerPage::blockEditor(BlockId id) const {
    for (BlockEditor* editor : m_editors) {
        if (editor->block() == id)
            return editor;
    }
    return nullptr;
}

void ControllerPage::layOutGroupsBesideLiveValues(const QString& profileLabelName,
                                                  const QList<QGroupBox*>& groups,
                                                  const QList<QWidget*>& liveDisplays) {
    auto* side = new QVBoxLayout;
    side->addWidget(createAlternativeProfileLabel(profileLabelName));
    auto* displays = new QHBoxLayout;
    for (QWidget* display : liveDisplays)
        displays->addWidget(display);
    side->addLayout(displays);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(groups.first());
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    for (qsizetype i = 1; i < groups.size(); ++i)
        layout->addWidget(groups[i]);
    layout->addStretch(1);
}

BlockEditor* ControllerPage::addBlockEditor(BlockId id, ParameterSet& params, QGroupBox* group) {
    auto* editor = new BlockEditor(id, params, group);
    group->layout()->addWidget(editor);
    connect(editor, &BlockEditor::edited, this, &ControllerPage::blockEdited);
    connect(editor, &BlockEditor::currentMotorChosen, this, &ControllerPage::currentMotorChosen);
    m_editors.append(editor);
    return editor;
}

QLabel* ControllerPage::createAlternativeProfileLabel(const QString& objectName) {
    Q_ASSERT(!m_profileLabel);
    m_profileLabel = makeAlternativeProfileLabel(objectName, this);
    return m_profileLabel;
}

} // namespace korvane
