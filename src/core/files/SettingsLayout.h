#pragma once

#include "blocks/BlockDescription.h"
#include "params/ParameterSet.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace korvane {

// How the reader takes a key's value: the number to the end of the line, or
// a fixed number of characters right after the "=".
enum class KeyRead { Number, EinAus, Richtung, GrKl, Stunde, Minute, Gruppe, Funktion };

// A key whose value the reader remembers from line to line.
struct SettingsKey {
    QString key;
    KeyRead read;
};

// The switch-time keys come first in SettingsLayout::keys, in this order.
enum SwitchTimeKey { StRichtung, StStunde, StMinute, StDauer, StGruppe, StFunktion, StKeyCount };

enum class SectionKind { MotorNames, SwitchTime, Block, Alarm, Parameters };

// One section that the writer writes into every file.
struct SettingsSection {
    SectionKind kind;
    QString header;   // the text between "[" and "]"
    QStringList keys; // its key lines, in the order written
    BlockId block = BlockId::Shading;
    int day = 0; // table indices, where the kind has them
    int motor = 0;
    int slot = 0;
    int profile = 0;
    // The key-press sections: files of older versions end before them.
    bool optional = false;
};

// The layout of the settings file, built from the block and parameter
// descriptions: every section in file order with its keys, and every key the
// reader remembers. The writer writes the sections in this order; the reader
// takes its keys from here and checks a file's sections against it.
struct SettingsLayout {
    std::vector<SettingsSection> sections;
    std::vector<SettingsKey> keys;
    // Index into `keys` of every field of every block, by BlockId.
    std::array<std::vector<int>, kBlockCount> fieldKeys;

    // Index into `sections`, or -1 when `header` is not one of them.
    int sectionIndex(const QString& header) const { return m_sectionByHeader.value(header, -1); }

    static const SettingsLayout& instance();

private:
    SettingsLayout();
    int addKey(const QString& key, KeyRead read);

    QHash<QString, int> m_sectionByHeader;
};

// ---- Value conversions, each next to its inverse --------------------------

// A block field: item index to file text, and the remembered value of its
// key (on/off, direction and comparison already as 0, 1, 2) back to the index.
QString fieldFileText(const FieldDescription& field, qint32 index);
qint64 fieldIndexFromFile(const FieldDescription& field, qint64 remembered);
KeyRead keyReadFor(FileConv conv);

// Switch-time duration index 0..98 -> 1..99, 99 -> 100, 100.. -> 100 + 10 *
// (i - 100): index 99 ("100") and 100 ("110") are both written as 100.
qint32 durationFileValue(qint32 index);
qint64 durationIndexFromFile(qint32 value);
QString functionFileText(qint32 code);

// The values of a section's key lines, in the order of its keys.
QStringList sectionValues(const ParameterSet& set, const SettingsSection& section);

} // namespace korvane
