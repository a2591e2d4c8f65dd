#pragma once

#include "blocks/BlockRecord.h"

#include <QList>
#include <QWidget>

class QGroupBox;
class QLabel;

namespace korvane {

class BlockEditor;
struct LiveDisplay;
struct ModelInfo;
struct ParameterSet;

// A tab page that follows the poll cycle: the model decides which of its
// groups exist, the live values fill its fields.
class ControllerPage : public QWidget {
    Q_OBJECT
public:
    explicit ControllerPage(const QString& objectName, QWidget* parent = nullptr);

    virtual void applyModel(const ModelInfo& model);
    virtual void showLiveValues(const LiveDisplay& display);
    // Shows or hides the page's "Alternatives Profil ist aktiv" label, if it has one.
    void setAlternativeProfileShown(bool shown);

    // Gives the page the data it edits; its editors are built here.
    virtual void attachParameters(ParameterSet& params);
    // What entering the page shows afresh: every editor and list from the
    // tables, in the active profile. Also run after a read-all, a file load
    // and a profile switch.
    virtual void refreshView();
    // The tab was entered or left.
    virtual void enterPage();
    virtual void leavePage();
    // A reply changed a block's table: its list follows, its editors do not.
    void rebuildBlockRows(BlockId id);

    const QList<BlockEditor*>& blockEditors() const { return m_editors; }
    BlockEditor* blockEditor(BlockId id) const;

Q_SIGNALS:
    // The user changed a record of a block on this page.
    void blockEdited(korvane::BlockId id);
    // A motor drop-down chose the motor that a rename applies to (0..7).
    void currentMotorChosen(int motor);

protected:
    // The first group beside the alternative-profile label and the live
    // displays, the other groups below it.
    void layOutGroupsBesideLiveValues(const QString& profileLabelName,
                                      const QList<QGroupBox*>& groups,
                                      const QList<QWidget*>& liveDisplays);
    // Builds the editor of a block into a group of the page.
    BlockEditor* addBlockEditor(BlockId id, ParameterSet& params, QGroupBox* group);

    // Creates the page's alternative-profile label; at most one per page.
    QLabel* createAlternativeProfileLabel(const QString& objectName);

private:
    QLabel* m_profileLabel = nullptr;
    QList<BlockEditor*> m_editors;
};

} // namespace korvane
