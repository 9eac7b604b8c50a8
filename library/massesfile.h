// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/filesync.h"
#include "library/masslibrary.h"
#include "library/namerules.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The masses file (extension zkv): an INI-style text of CR LF lines in Windows-1251.
//
//   [Mass]                   one line per mass in list order:
//   <mass name>=<layer names joined by the byte 0x01>
//   [Parameter]              one line per layer over all masses, in row order:
//   <row, decimal from 0>=<42 record bytes as 84 upper-case hex digits><sum of the 42 bytes
//                          modulo 256 as 2 hex digits>
//
// A section appears only when it has a line (an empty library is an empty file). On reading,
// section names and keys match without regard to letter case, blanks around keys and around
// whole values (a mass's list of layer names, a record) and lines starting with ";" are ignored,
// the first occurrence of a section or a record key counts, and the whole "Mass" section is
// read. CR, LF and CR LF all end a line. A file that begins with a byte-order mark is read as
// the private-profile functions read it: UTF-8 after EF BB BF, UTF-16 after FF FE or FE FF;
// without one, names are in Windows-1251. A reader never trusts the file: every size is
// checked, and what it keeps is bounded by the file's size and the limits below; what is no
// masses file (no "Mass" section, zero bytes, text not in its encoding) is refused, never read
// as an empty library.
namespace MassesFile
{

/// Files larger than this are not read.
inline constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
/// A file naming more masses, or more layers over all masses, is not read.
inline constexpr int MaxEntries = 100000;

/// Length of a record value: 42 bytes and the checksum byte as hex digits.
inline constexpr int RecordTextLength = 2 * (ProgParam::PayloadSize + 1);

/// Why a layer's record could not be read (it is then all zero).
enum class RecordFault { MissingKey, WrongLength, NotHex, BadChecksum };

enum class ReadError {
    None,
    CannotOpen,     ///< missing or unreadable file
    TooLarge,       ///< larger than MaxFileSize
    TooManyEntries, ///< more than MaxEntries masses or layers
    Folder,         ///< the name is a folder's
    NotRegularFile, ///< a device, a pipe or a socket (never read: reading could wait forever)
    NotText,        ///< zero bytes in it (a binary file), or not text in its byte-order mark's
                    ///< encoding
    NoMassSection,  ///< text without a "Mass" section: no masses file
};

/// How the names of a file are encoded.
enum class TextEncoding { Cp1251, Utf8, Utf16LE, Utf16BE };

struct FileMass {
    QString name;
    QStringList layers;

    bool operator==(const FileMass &) const = default;
};

/// What a file holds. A file that is read holds a "Mass" section, or nothing at all.
struct FileContents {
    QList<FileMass> masses;
    /// One record per layer over the whole file, in order (layer j from key j); all zero when
    /// unreadable. ProgNumber is as read; Open and Add replace it.
    std::vector<ProgParam> records;
    /// Layers (index j over the file) whose record could not be read, in order.
    QList<std::pair<int, RecordFault>> unreadable;
    bool hasMassSection = false;
    /// Nothing but blanks and line ends (and a byte-order mark): read as no masses.
    bool empty = false;
    TextEncoding encoding = TextEncoding::Cp1251;
    ReadError error = ReadError::None;
    /// The system's reason for CannotOpen.
    QString errorDetail;
};

/// The 86-character record value.
QByteArray EncodeRecord(const ProgParam &record);
/// Reads a record value (blanks already stripped) into `record`; upper- and lower-case digits
/// are accepted. On a fault `record` is left as it was.
std::optional<RecordFault> DecodeRecord(QByteArrayView value, ProgParam &record);

/// The exact bytes of a fresh file for `library`. Characters Windows-1251 lacks become "?":
/// check the names first (Save does).
QByteArray Encode(const MassLibrary &library);

/// Parses file bytes; bytes that are no masses file hold nothing and say why.
FileContents Decode(QByteArrayView bytes);
/// Reads and parses a file; a missing or unreadable file, or anything that is not a regular
/// file, holds nothing and says why.
FileContents ReadFile(const QString &path);
/// Message for a file that could not be read (empty for ReadError::None).
QString ReadErrorText(const FileContents &contents, quint8 language);

/// A layer whose record could not be read, placed in the library.
struct BadRecord {
    int row = -1;
    QString massName;
    QString layerName;
    RecordFault fault = RecordFault::MissingKey;

    bool operator==(const BadRecord &) const = default;
};

/// A mass that Add renamed because its name was taken.
struct RenamedMass {
    int mass = -1; ///< its index in the library
    QString fileName;
    QString newName;

    bool operator==(const RenamedMass &) const = default;
};

/// What Open or Add put into the library.
struct LoadReport {
    int firstMass = 0;  ///< index of the first mass read
    int massCount = 0;  ///< masses read
    int firstRow = 0;   ///< row of the first layer read
    int layerCount = 0; ///< layers read
    QList<BadRecord> badRecords;
    /// Add: masses whose names were taken, in order.
    QList<RenamedMass> renamed;
};

/// Open: the library is replaced by the file's masses; every layer's ProgNumber becomes its
/// row + 1. An unreadable file leaves an empty library.
LoadReport Open(MassLibrary &library, const FileContents &contents);
/// Add from file: the file's masses and layers are appended; layer j of the file goes to row
/// (previous row count + j) and gets ProgNumber = that row + 1 (low byte). A mass whose name
/// equals, ignoring letter case, a mass already in the library or one added before it is
/// renamed to FreeMassName().
LoadReport Add(MassLibrary &library, const FileContents &contents);

/// `name` with the first suffix " (2)", " (3)", ... whose result is not in `takenKeys` (names
/// folded with QString::toCaseFolded()); the name is shortened so that the result holds at
/// most MaxNameLength characters.
QString FreeMassName(const QString &name, const QSet<QString> &takenKeys);

/// Log line text (beginning with a blank) for the masses Add renamed; empty when none.
QString RenamedMassesLogText(const QList<RenamedMass> &renamed, quint8 language);

/// Log line text (beginning with a blank) for a layer whose record could not be read.
QString BadRecordLogText(const BadRecord &bad, quint8 language);

using FileSync::WriteAll;

/// Outcome of Save: either saved, or refused for names (nothing written), or failed writing.
struct SaveResult {
    bool saved = false;
    QList<NameProblem> nameProblems;
    QString error; ///< the system's reason when writing failed
};

/// Writes `library` as a fresh file at `path`, atomically: a new file is written, synced and
/// renamed over the old one, and the folder is synced after the rename. In a folder where no
/// new file can be created, an existing file there is rewritten in place instead. A failure
/// reports the system's reason and leaves a previous file as it was (except one that was being
/// rewritten in place). Refused without writing when a name cannot be held by the file.
SaveResult Save(const MassLibrary &library, const QString &path);

} // namespace MassesFile
