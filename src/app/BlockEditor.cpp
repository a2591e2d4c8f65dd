#include "BlockEditor.h"

#include "BlockEditorLayout.h"
#include "PageWidgets.h"
#include "text/SymbolText.h"

#include "blocks/BlockDescription.h"
#include "params/ParameterSet.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

namespace korvane {
namespace {

constexpr int kRows = kMotorCount;

QString shownItem(const FieldDescription& field, int index) {
    const QString text = field.itemText(index);
    return field.font == ItemFont::Arrows ? symbolDisplayText(text) : text;
}

void setShownIndex(QComboBox* combo, const FieldDescription& field, int index) {
    // A value outside the list shows as an empty drop-down.
    combo->setCurrentIndex(indexInRange(field, index) ? index : -1);
}

} // namespace

BlockEditor::BlockEditor(BlockId id, ParameterSet& params, QWidget* parent)
    : QWidget(parent), m_id(id), m_desc(blockDescription(id)), m_layout(blockEditorLayout(id)),
      m_params(params), m_motor(new QComboBox(this)), m_editorArea(new QWidget(this)),
      m_grid(new QGridLayout), m_list(nullptr) {
    setObjectName(QLatin1String(m_desc.editorPrefix) + QStringLiteral("_Editor"));
    m_motor->setObjectName(QLatin1String(m_desc.editorPrefix) + QStringLiteral("_Raum"));
    m_motor->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_list = makeMotorList(QLatin1String(m_desc.editorPrefix) + QStringLiteral("_Liste"), this);
    for (int row = 0; row < kRows; ++row)
        m_list->addItem(QString());
    m_list->setCurrentRow(0);

    buildEditors();

    auto* listArea = new QVBoxLayout;
    listArea->setSpacing(0);
    QLabel* heading = makeListHeading(m_layout.headingName ? QLatin1String(m_layout.headingName)
                                                           : QLatin1String(m_desc.editorPrefix) +
                                                                 QStringLiteral("_Ueberschrift"),
                                      symbolDisplayText(m_layout.heading), this);
    listArea->addWidget(heading);
    listArea->addWidget(m_list);

    // Editors over the list.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_editorArea);
    layout->addLayout(listArea);

    connect(m_motor, &QComboBox::activated, this, &BlockEditor::onMotorChosen);
    connect(m_list, &QListWidget::clicked, this,
            [this](const QModelIndex& index) { onRowClicked(index.row()); });
    // The arrow keys move the selection: they load that motor as a click does.
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row != shownMotor())
            onRowClicked(row);
    });
    connect(m_list, &QListWidget::doubleClicked, this,
            [this](const QModelIndex& index) { onRowDoubleClicked(index.row()); });

    for (int m = 0; m < kMotorCount; ++m)
        m_motor->addItem(m_params.motorNames.name(m));
    showMotor(0);
    fitListWidth();
}

// As wide as the row of a switched-on record with default values.
void BlockEditor::fitListWidth() {
    ParameterSet probe;
    toggleOnOff(probe, m_id, 0, 0);
    const QString row = blockListRows(probe, m_id, 0).first() + QStringLiteral("   ");
    const int width = m_list->fontMetrics().horizontalAdvance(row) + 2 * m_list->frameWidth() + 8;
    m_list->setMinimumWidth(width);
    m_list->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void BlockEditor::buildEditors() {
    const int fieldCount = m_desc.fieldCount() + (m_desc.hasLinkedBlock ? 1 : 0);
    for (int f = 0; f < fieldCount; ++f)
        m_fields.append(makeFieldDropDown(f));
    for (int i = 0; i < m_layout.indicators.size(); ++i)
        m_indicators.append(makeIndicator(i));

    auto* area = new QVBoxLayout(m_editorArea);
    area->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(6);
    m_grid->setVerticalSpacing(1);
    auto* gridRow = new QHBoxLayout;
    gridRow->addLayout(m_grid);
    gridRow->addStretch(1);
    area->addLayout(gridRow);

    QLabel* caption = makeLabel(m_layout.captionName ? QLatin1String(m_layout.captionName)
                                                     : QLatin1String(m_desc.editorPrefix) +
                                                           QStringLiteral("_Caption"),
                                m_layout.caption, m_editorArea);
    // The caption keeps its text; its run of blanks, which spaced the words
    // over the two drop-downs, is drawn as one.
    caption->setTextFormat(Qt::RichText);
    // The caption has a line of its own: over the motor and on/off
    // drop-downs it would widen their column.
    area->insertWidget(0, caption);
    buildColumn(new QLabel(m_editorArea), {m_motor, m_fields[0]}, true);

    for (const EditorColumn& column : m_layout.columns) {
        QList<QWidget*> widgets;
        for (const EditorPart& part : column.parts)
            widgets.append(part.kind == EditorPart::Field
                               ? static_cast<QWidget*>(m_fields[part.index])
                               : m_indicators[part.index]);
        QString text = column.labelText;
        for (const EditorPart& part : column.parts) {
            if (text.isNull() && part.kind == EditorPart::Field && part.index < m_desc.fieldCount())
                text = m_desc.fields[part.index].caption.toString();
        }
        // A run of blanks in a caption is where its drop-down sat; the word
        // after it is the unit, which stands right beside the drop-down.
        static const QRegularExpression unitAfterBlanks(QStringLiteral("^(.*\\S) {3,}(\\S+)$"));
        const QRegularExpressionMatch unit = unitAfterBlanks.match(text);
        const QString name = column.labelName ? QLatin1String(column.labelName) : QString();
        QLabel* label = makeLabel(name, unit.hasMatch() ? unit.captured(1) : text, m_editorArea);
        label->setWordWrap(true);
        buildColumn(label, widgets, false,
                    unit.hasMatch() ? makeLabel(name + QStringLiteral("_Einheit"), unit.captured(2),
                                                m_editorArea)
                                    : nullptr);
    }
    if (m_layout.noteName) {
        QLabel* note = makeLabel(QLatin1String(m_layout.noteName), m_layout.note, m_editorArea);
        area->addWidget(note);
        m_followers.append({note, 1});
    }
}

// A label over widgets in the next column, and the unit right of them. Each
// widget other than a field drop-down, and the label unless it always shows,
// follows the visibility of a field's editor: its own, an indicator's, or the
// value editors'; the unit follows the first widget.
void BlockEditor::buildColumn(QWidget* label, const QList<QWidget*>& widgets, bool labelAlways,
                              QWidget* unit) {
    auto* box = new QHBoxLayout;
    box->setSpacing(2);
    for (QWidget* w : widgets)
        box->addWidget(w);
    if (unit)
        box->addWidget(unit);
    m_grid->addWidget(label, 0, m_columns, Qt::AlignBottom | Qt::AlignLeft);
    m_grid->addLayout(box, 1, m_columns, Qt::AlignTop | Qt::AlignLeft);
    ++m_columns;
    if (labelAlways)
        return;
    // Compared as widgets: casting w down to a type it may not have is undefined.
    const auto position = [](const auto& list, const QWidget* w) {
        const auto it = std::find(list.cbegin(), list.cend(), w);
        return it == list.cend() ? -1 : int(it - list.cbegin());
    };
    for (QWidget* w : widgets) {
        const int field = position(m_fields, w);
        const int indicator = position(m_indicators, w);
        const int follows = field >= 0       ? field
                            : indicator >= 0 ? m_layout.indicators[indicator].follows
                                             : 1; // page widgets show with the value editors
        if (field < 0)
            m_followers.append({w, follows});
        if (w == widgets.first()) {
            m_followers.append({label, follows});
            if (unit)
                m_followers.append({unit, follows});
        }
    }
}

void BlockEditor::addColumn(QLabel* label, QWidget* widget) {
    widget->setParent(m_editorArea);
    label->setParent(m_editorArea);
    buildColumn(label, {widget}, false);
    applyVisibility();
}

QComboBox* BlockEditor::makeFieldDropDown(int field) {
    const bool linked = field == m_desc.fieldCount();
    const FieldDescription& d =
        linked ? blockDescription(m_desc.linkedBlock).fields[m_desc.linkedField]
               : m_desc.fields[field];
    auto* combo = new QComboBox(m_editorArea);
    combo->setObjectName(QLatin1String(linked ? m_desc.linkedEditor : d.editor));
    for (int i = 0; i < d.itemCount; ++i)
        combo->addItem(shownItem(d, i));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    combo->setMaxVisibleItems(20);
    if (field < m_layout.hints.size() && !m_layout.hints[field].isEmpty())
        combo->setToolTip(m_layout.hints[field]);
    connect(combo, &QComboBox::activated, this,
            [this, field](int index) { onFieldChosen(field, index); });
    return combo;
}

QLineEdit* BlockEditor::makeIndicator(int index) {
    const IndicatorLayout& indicator = m_layout.indicators[index];
    auto* field = new QLineEdit(m_editorArea);
    field->setObjectName(QLatin1String(indicator.name));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("MMM")) + 8);
    if (!indicator.hint.isEmpty())
        field->setToolTip(indicator.hint);
    return field;
}

int BlockEditor::profile() const {
    return m_params.activeProfile == 1 ? 1 : 0;
}

int BlockEditor::shownMotor() const {
    return qBound(0, m_motor->currentIndex(), kMotorCount - 1);
}

BlockRecord& BlockEditor::shownRecord() {
    return m_params.record(m_id, profile(), shownMotor());
}

void BlockEditor::refreshView() {
    const int motor = qBound(0, m_list->currentRow(), kMotorCount - 1);
    for (int m = 0; m < kMotorCount; ++m)
        m_motor->setItemText(m, m_params.motorNames.name(m));
    showMotor(motor);
    rebuildRows();
    selectRow(motor);
}

void BlockEditor::rebuildRows() {
    const QStringList rows = blockListRows(m_params, m_id, profile());
    for (int row = 0; row < kRows && row < rows.size(); ++row)
        m_list->item(row)->setText(rows[row]);
}

void BlockEditor::motorSelection() {
    shownRecord().changed = true;
    loadEditors();
    applyVisibility();
    rebuildRows();
    selectRow(shownMotor());
    Q_EMIT edited(m_id);
}

void BlockEditor::onMotorChosen(int motor) {
    showMotor(motor);
    motorSelection();
    if (m_layout.setsCurrentMotor)
        Q_EMIT currentMotorChosen(motor);
}

void BlockEditor::onFieldChosen(int field, int index) {
    if (field == m_desc.fieldCount())
        editLinkedField(m_params, m_id, profile(), shownMotor(), index);
    else
        editBlockField(m_params, m_id, profile(), shownMotor(), field, index);
    motorSelection();
}

void BlockEditor::onRowClicked(int row) {
    if (row < 0 || row >= kMotorCount)
        return;
    showMotor(row);
    selectRow(row);
}

void BlockEditor::onRowDoubleClicked(int row) {
    if (row < 0 || row >= kMotorCount)
        return;
    m_motor->setCurrentIndex(row);
    toggleOnOff(m_params, m_id, profile(), row);
    motorSelection();
}

void BlockEditor::showMotor(int motor) {
    m_motor->setCurrentIndex(motor);
    loadEditors();
    applyVisibility();
}

void BlockEditor::loadEditors() {
    const BlockRecord& rec = shownRecord();
    for (int f = 0; f < m_desc.fieldCount(); ++f)
        setShownIndex(m_fields[f], m_desc.fields[f], rec.value[f]);
    if (m_desc.hasLinkedBlock) {
        const BlockRecord& linked = m_params.record(m_desc.linkedBlock, profile(), shownMotor());
        setShownIndex(m_fields.last(),
                      blockDescription(m_desc.linkedBlock).fields[m_desc.linkedField],
                      linked.value[m_desc.linkedField]);
    }
    for (int i = 0; i < m_indicators.size(); ++i)
        m_indicators[i]->setText(symbolDisplayText(m_layout.indicators[i].text(rec)));
}

void BlockEditor::applyVisibility() {
    const BlockRecord& rec = shownRecord();
    for (int f = 1; f < m_fields.size(); ++f)
        m_fields[f]->setVisible(fieldVisible(m_desc, rec, f));
    for (const Follower& follower : m_followers)
        follower.widget->setVisible(fieldVisible(m_desc, rec, follower.field));
}

void BlockEditor::selectRow(int row) {
    m_list->setCurrentRow(row);
}

} // namespace korvane
