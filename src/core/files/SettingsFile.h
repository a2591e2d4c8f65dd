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
// A saved file has about 62 KB; anything above this is no settings file and
// is refused unread.
inline constexpr qint64 kSettingsFileMaxBytes = 4 * 1024 * 1024;

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
        NotFound,         // no such file: kFileNotFoundText and the path
        NotReadable,      // a folder, a FIFO or device, too large, no permission: `reason`
        NotSettingsFile,  // not one section of a settings file in it
        MissingSection,   // `section` (or its line `missingKey`) is missing
        Malformed,        // a value that must be a number is not one
        OutOfRange,       // a value outside the list of its editor
        UnknownWord,      // a word that is none of its key's words (`allowed`)
        ControlCharacter, // a motor name with a control character
        NotWindows1252,   // a motor name (of a UTF-8 file) the controller cannot show
    };
    Status status = Status::Ok;
    QString path;       // set by loadSettingsFile
    QString reason;     // NotReadable: what failed, naming the path
    int line = 0;       // 1-based line of the offending value
    QString lineText;   // that line
    QString section;    // MissingSection: the header text without brackets
    QString missingKey; // MissingSection: the first missing key of a section that is there
    QString allowed;    // UnknownWord: the words the line may hold, e.g. "Ein, Aus"
    // A loaded file: what the user should know (a name longer than the
    // controller keeps, a file converted from UTF-8), one German line each.
    QStringList warnings;
    bool ok() const { return status == Status::Ok; }
    // The text for the message box (German, as the program speaks). A
    // line is echoed cut to a readable length.
    QString message() const;
};

// The reader scans line by line with remembered key values: key lines are
// matched by their first characters and update one value each, shared by all
// sections; the last key line of a section stores its record. CR LF, LF and
// CR alone end a line. A word that is none of its key's words is refused like
// a bad number, and so is a motor name with a control character. A file that
// is valid UTF-8 with bytes above ASCII (saved by a text editor) is read as
// UTF-8 and says so in `warnings`; its names must fit Windows-1252.
//
// All or nothing: parses into a copy of `set`, and only when the whole file is
// good replaces `set` with it and marks it per ChangedEvent::FileLoaded. The
// file must hold every section that the writer writes, each with all of its
// key lines; only the key-press sections may be missing, all of them, as in
// files of older versions (those records then keep their values). The loaded
// active profile becomes ActiveProfile as well. On failure `set` is unchanged.
// loadSettingsFile reads only a regular file of at most kSettingsFileMaxBytes.
LoadResult loadSettingsFile(const QString& path, ParameterSet& set);
LoadResult loadSettingsBytes(QByteArrayView bytes, ParameterSet& set);

// The set as a settings file holds it: what a save and a load give back. The
// file writes the switch-time durations "100" and "110" alike (as 100), so
// "110" becomes "100". Compare a controller's set with a file's through this.
ParameterSet asSettingsFileHolds(ParameterSet set);

} // namespace korvane
