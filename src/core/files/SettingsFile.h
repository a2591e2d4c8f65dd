#pragma once

#include "params/ParameterSet.h"

#include <QByteArray>
#include <QString>

namespace korvane {

// The ".vts" settings file: every parameter of both profiles as a sectioned
// Windows-1252 text file with CR LF line ends.
inline constexpr QStringView kSettingsFileFilter = u"Vendrix Schaltzeiten (*.vts)|*.vts";
inline constexpr QStringView kSettingsFileExtension = u".vts";
// Shown, with the path, when the file to load does not exist.
inline constexpr QStringView kFileNotFoundText = u"File not found";

// ---- Writer ---------------------------------------------------------------

// The complete file image (4,779 lines).
QByteArray settingsFileBytes(const ParameterSet& set);

struct SaveResult {
    bool ok = false;
    QString errorText; // for the general error report
};

// Writes through a temporary file that replaces `path` only once it is
// complete, so a failed save leaves an existing file as it was.
SaveResult saveSettingsFile(const QString& path, const ParameterSet& set);

// ---- Reader ---------------------------------------------------------------

struct LoadResult {
    enum class Status {
        Ok,
        NotFound,        // no such file: kFileNotFoundText and the path
        NotReadable,     // a folder, no permission, a read error: `reason`
        NotSettingsFile, // not one section of a settings file in it
        MissingSection,  // `section` (or its line `missingKey`) is missing
        Malformed,       // a value that must be a number is not one
        OutOfRange,      // a value outside the list of its editor
    };
    Status status = Status::Ok;
    QString path;       // set by loadSettingsFile
    QString reason;     // NotReadable: what failed, naming the path
    int line = 0;       // 1-based line of the offending value
    QString lineText;   // that line
    QString section;    // MissingSection: the header text without brackets
    QString missingKey; // MissingSection: the first missing key of a section that is there
    bool ok() const { return status == Status::Ok; }
    // The text for the message box (German, as the program speaks).
    QString message() const;
};

// The reader scans line by line with remembered key values: key lines are
// matched by their first characters and update one value each, shared by all
// sections; the last key line of a section stores its record. CR LF and LF
// line ends are both accepted.
//
// All or nothing: parses into a copy of `set`, and only when the whole file is
// good replaces `set` with it and marks it per ChangedEvent::FileLoaded. The
// file must hold every section that the writer writes, each with all of its
// key lines; only the key-press sections may be missing, all of them, as in
// files of older versions (those records then keep their values). The loaded
// active profile becomes ActiveProfile as well. On failure `set` is unchanged.
LoadResult loadSettingsFile(const QString& path, ParameterSet& set);
LoadResult loadSettingsBytes(QByteArrayView bytes, ParameterSet& set);

} // namespace korvane
