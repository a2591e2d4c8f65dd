#pragma once

#include "blocks/BlockRecord.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;

namespace korvane {

struct BlockDescription;
struct BlockEditorLayout;
struct ParameterSet;

// The editor of one per-motor block: the motor drop-down, one drop-down per
// field, the read-only indicators and the eight-row list, all built from the
// block's description. It edits the active profile of the parameter set:
// - choosing a motor or editing a value marks the shown motor's record
//   Changed, reloads the editors, rebuilds the rows and selects the motor's row;
// - a list click, or a selection moved by the keys, only loads the editors; a
//   double click switches EIN/AUS;
// - the value editors show only while the on/off editor shows EIN.
class BlockEditor : public QWidget {
    Q_OBJECT
public:
    BlockEditor(BlockId id, ParameterSet& params, QWidget* parent = nullptr);

    BlockId block() const { return m_id; }

    // A widget of the page that shows and hides with the value editors (the
    // live brightness), with its label above it.
    void addColumn(QLabel* label, QWidget* widget);

    // Entering the page: motor names into the drop-down, the motor of the
    // selected row, its editors and all rows. Marks nothing Changed.
    void refreshView();
    // The rows again from the table (after a reply); editors stay as they are.
    void rebuildRows();

    // The motor shown in the editors, 0..7.
    int shownMotor() const;
    QComboBox* motorDropDown() const { return m_motor; }
    QListWidget* list() const { return m_list; }

Q_SIGNALS:
    // The user changed a record of this block (or, for wind, the direction
    // kept in the rain record).
    void edited(korvane::BlockId id);
    // The motor drop-down chose the motor that a rename applies to (0..7).
    void currentMotorChosen(int motor);

private:
    struct Follower {
        QWidget* widget;
        int field; // shown while this field's editor is shown
    };

    void buildEditors();
    void fitListWidth();
    void buildColumn(QWidget* label, const QList<QWidget*>& widgets, bool labelAlways,
                     QWidget* unit = nullptr);
    QComboBox* makeFieldDropDown(int field);
    QLineEdit* makeIndicator(int index);
    int profile() const;
    BlockRecord& shownRecord();
    void motorSelection();
    void onMotorChosen(int motor);
    void onFieldChosen(int field, int index);
    void onRowClicked(int row);
    void onRowDoubleClicked(int row);
    void showMotor(int motor);
    void loadEditors();
    void applyVisibility();
    void selectRow(int row);

    BlockId m_id;
    const BlockDescription& m_desc;
    const BlockEditorLayout& m_layout;
    ParameterSet& m_params;
    QComboBox* m_motor;
    QList<QComboBox*> m_fields; // field order, the linked editor last
    QList<QLineEdit*> m_indicators;
    QList<Follower> m_followers;
    QWidget* m_editorArea;
    QGridLayout* m_grid;
    int m_columns = 0;
    QListWidget* m_list;
};

} // namespace korvane
