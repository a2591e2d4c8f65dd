#include "blocks/BlockDescription.h"

namespace korvane {

const BlockDescription* blockForReplyCode(QByteArrayView code) {
    for (const BlockDescription& b : blockDescriptions()) {
        if (code == QByteArrayView(b.replyCode))
            return &b;
    }
    return nullptr;
}

QString fieldCaption(const FieldDescription& field) {
    return field.caption.toString().simplified();
}

bool indexInRange(const FieldDescription& field, qint64 index) {
    return index >= 0 && index < field.itemCount;
}

QString fieldItemText(const FieldDescription& field, int index) {
    return indexInRange(field, index) ? field.itemText(index) : QString();
}

QStringList fieldItems(const FieldDescription& field) {
    QStringList items;
    items.reserve(field.itemCount);
    for (int i = 0; i < field.itemCount; ++i)
        items.append(field.itemText(i));
    return items;
}

BlockRecord defaultRecord(const BlockDescription& block) {
    BlockRecord rec;
    for (int f = 0; f < block.fieldCount(); ++f)
        rec.value[f] = block.fields[f].defaultIndex;
    rec.changed = true;
    return rec;
}

bool fieldVisible(const BlockDescription& block, const BlockRecord& rec, int field) {
    if (field == 0)
        return true;
    if (rec.value[0] != kOn)
        return false;
    return !(block.fieldHidden && block.fieldHidden(rec, field));
}

void applyFieldEdit(const BlockDescription& block, BlockRecord& rec, int field, int index) {
    rec.value[field] = index;
    if (block.editRule)
        block.editRule(rec, field);
}

} // namespace korvane
