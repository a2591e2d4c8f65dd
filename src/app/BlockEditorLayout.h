#pragma once

#include "blocks/BlockRecord.h"

#include <QList>
#include <QString>

namespace korvane {

// What a per-motor block editor shows beyond the block's own description:
// captions, labels, hints, the list heading and the read-only indicators, and
// where each sits. One description per block; the editor itself is generic.

// A read-only text derived from the shown record (comparison or direction of
// the second threshold). Symbol-font characters are mapped for display.
struct IndicatorLayout {
    const char* name;
    QString (*text)(const BlockRecord& rec);
    int follows; // shown while this field's editor is shown
    QString hint;
};

// One widget of an editor column.
struct EditorPart {
    enum Kind { Field, Indicator };
    Kind kind;
    int index; // field index (fieldCount() is the linked editor), or indicator index
};

// A column of the editor: a label above one or more widgets. The label is
// shown while the first widget is. A null label text shows the caption of the
// column's first field from the block description.
struct EditorColumn {
    const char* labelName;
    QString labelText;
    QList<EditorPart> parts;
};

struct BlockEditorLayout {
    BlockId block;
    const char* captionName; // label over the motor and on/off drop-downs
    QString caption;
    const char* headingName; // label over the list
    QString heading;
    QList<QString> hints; // per field index, the linked editor last; empty: none
    QList<EditorColumn> columns;
    QList<IndicatorLayout> indicators;
    // A note under the editors, shown while the on/off editor shows EIN.
    const char* noteName;
    QString note;
    bool setsCurrentMotor; // the motor drop-down also chooses the motor to rename
};

const BlockEditorLayout& blockEditorLayout(BlockId id);

} // namespace korvane
