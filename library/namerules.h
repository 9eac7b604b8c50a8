// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "library/masslibrary.h"

#include <QList>
#include <QString>

// Which mass and layer names a masses file can hold. A mass name is a key of the file: it breaks
// the file when it carries the file's own syntax ("=", a leading "[" or ";", control
// characters), a character the file's code page lacks, blanks at either end (a reader drops
// them) or the key of another mass. A layer name sits inside its mass's value and survives all
// of that except line breaks, the layer separator 0x01, a zero byte and characters outside the
// code page; but blanks at the ends of the whole value are dropped on reading, and an empty
// name last in the value reads as no layer. Such names are refused when entered and before
// saving.

/// Why a name is refused.
enum class NameFault {
    None,
    Empty,         ///< empty or only blanks
    TooLong,       ///< more than MaxNameLength characters (entered names only)
    ControlChar,   ///< a control character (line breaks, tab, the layer separator 0x01, ...)
    NotInCodePage, ///< a character Windows-1251 cannot hold
    ContainsEquals,
    BadStart,      ///< first non-blank character is "[" or ";"
    DuplicateMass, ///< equal to another mass's name, ignoring letter case
    EdgeBlank,     ///< begins or ends with a blank (a reader drops it)
    LostEmpty,     ///< an empty layer name last in its mass (it reads back as no layer)
};

/// Names entered in the name dialog hold at most this many characters (the controller's name
/// slots hold as many).
inline constexpr int MaxNameLength = 18;

/// Checks a mass name by itself. `limitLength`: entered names; names read from files are taken
/// whole and checked without it.
NameFault CheckName(const QString &name, bool limitLength = true);

/// Checks a new mass name (renamedMass = -1) or the new name of mass `renamedMass`.
NameFault CheckMassName(const MassLibrary &library, const QString &name, int renamedMass = -1);

/// Checks a new or changed layer name as entered: not empty, at most MaxNameLength
/// characters, no control characters, no blanks at either end, all in the code page.
NameFault CheckLayerName(const QString &name);

/// Blanks that readers of the file drop around keys and values.
bool IsNameBlank(QChar c);

/// `name` for display where space is short: at most `maxLength` characters, a cut name ending
/// in "…". Names read from files are not limited in length.
QString ElideName(const QString &name, int maxLength);

/// The reason as a message in both languages (empty texts for None).
TextPair NameFaultText(NameFault fault);

/// One name of a library that cannot be saved.
struct NameProblem {
    bool isMass = true;
    int index = -1; ///< mass index, or the layer's row
    QString name;
    NameFault fault = NameFault::None;

    bool operator==(const NameProblem &) const = default;
};

/// Every mass and layer name of `library` that a masses file cannot hold, masses first, in
/// order. For two masses that share a key the later one is named. Linear in the size of the
/// library.
QList<NameProblem> CheckLibraryNames(const MassLibrary &library);

/// A line for a message box: which mass or layer, and why.
QString NameProblemText(const NameProblem &problem, quint8 language);
