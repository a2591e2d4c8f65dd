#pragma once

#include "blocks/BlockRecord.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

namespace korvane {

// How a field's item index travels on the wire.
enum class WireConv {
    Offset,    // wire = index + wireOffset
    Flag,      // index 0 (EIN, up, "greater") is wire 1; wire values other than 1 read as index 1
    WindSpeed, // wire = (index + 1) * 5 km/h; reading drops the fraction of wire / 5
    Reaction,  // 0 up = wire 1, 1 down = wire 0, 2 deactivated = wire 2
};

// How a field is written to the settings file and read back.
enum class FileConv {
    Number,       // index + fileOffset
    EinAus,       // "Ein" for index 0, "Aus" otherwise
    AufAb,        // "Auf" for index 0, "Ab" otherwise
    AufAbDeaktiv, // "Auf", "Ab", "Deaktiv"
    GrKl,         // "Gr" for index 0, "Kl" otherwise
    WindSpeed,    // (index + 1) * 5
};

// Items 0 and 1 of an Arrows list are the Wingdings arrows "é" and "ê".
enum class ItemFont { Plain, Arrows };

// Which column of the Changed policy a block follows.
enum class ChangedGroup { Common, Humidity, Reversing, KeyPress };

using ItemTextFn = QString (*)(int index);

struct FieldDescription {
    const char* name;   // record field, e.g. "Temperatur"
    const char* editor; // drop-down objectName, e.g. "BA_Temperatur"
    int itemCount;      // valid item indices are 0 .. itemCount - 1
    int defaultIndex;
    ItemTextFn itemText;
    ItemFont font;
    WireConv wire;
    int wireOffset;
    const char* fileKey;
    FileConv file;
    int fileOffset;
    // The label of the field's editor on its page, as the page shows it; a
    // label that covers several editors ("von - bis") gives each its own word.
    QStringView caption;
};

// The caption in one line, runs of blanks made one ("Grenz- Lux-Wert").
QString fieldCaption(const FieldDescription& field);

struct BlockDescription;

// Tail of a list row after the on/off text of a switched-on record. `linked`
// is the record of the linked block (see BlockDescription::linkedBlock) of the
// same profile and motor, or `rec` itself when the block has none.
using RowTailFn = QString (*)(const BlockDescription& block, const BlockRecord& rec,
                              const BlockRecord& linked);

// Keeps the block's editor invariants after `field` was set to a new index.
using EditRuleFn = void (*)(BlockRecord& rec, int field);

// Extra hiding on top of "value editors only while EIN".
using FieldHiddenFn = bool (*)(const BlockRecord& rec, int field);

struct BlockDescription {
    BlockId id;
    const char* recordName;   // "BA_Record"
    const char* editorPrefix; // "BA"
    const char* replyCode;    // "sbp"
    const char* writeCommand; // " rbp"
    QStringView readingText;  // status panel 6 while reading
    QStringView errorText;    // status panel 5 on a bad reply
    QStringView sendingText;  // status panel 6 while sending ("Tx ...")
    int txPerRecord;          // TxCount per motor position walked
    const char* fileSection;  // settings file section name
    ChangedGroup changedGroup;
    bool inProfileCopy; // copied by "Standard-Profil kopieren"
    std::span<const FieldDescription> fields;
    const char* rowAfterOnOff; // blanks that follow "EIN"/"AUS" in every row
    RowTailFn rowTail;
    EditRuleFn editRule;       // may be null
    FieldHiddenFn fieldHidden; // may be null
    // Wind edits and shows the direction kept in the rain record of its motor.
    bool hasLinkedBlock;
    BlockId linkedBlock;
    int linkedField;
    const char* linkedEditor;

    int fieldCount() const { return int(fields.size()); }
    // Number of data values before the check value in replies and writes.
    int checkCount() const { return 2 + fieldCount(); }
    // The settings-file key whose line stores the record when read back.
    const char* fileTriggerKey() const { return fields.back().fileKey; }
};

// All eleven, indexed by BlockId.
std::span<const BlockDescription> blockDescriptions();
const BlockDescription& blockDescription(BlockId id);
// The block whose reply carries `code` ("sbp", ...), or null.
const BlockDescription* blockForReplyCode(QByteArrayView code);

// Item text of a field, empty for an index outside its list.
QString fieldItemText(const FieldDescription& field, int index);
// All item texts of a field's drop-down.
QStringList fieldItems(const FieldDescription& field);
bool indexInRange(const FieldDescription& field, qint64 index);

// A record with every field at its default and Changed set.
BlockRecord defaultRecord(const BlockDescription& block);

// Visibility of a field's editor for a record: the on/off editor always, the
// value editors only while it shows EIN, minus the block's own hiding.
bool fieldVisible(const BlockDescription& block, const BlockRecord& rec, int field);

// Stores `index` into `field` and applies the block's editor rule. Does not
// touch Changed; the editor sets that through its motor-selection refresh.
void applyFieldEdit(const BlockDescription& block, BlockRecord& rec, int field, int index);

} // namespace korvane
