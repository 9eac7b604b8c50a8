#pragma once

#include "masslibrary.h"
#include "textpair.h"

#include <QList>
#include <QString>

// Which mass and layer names a masses file can hold. A name breaks the file when it carries
// the file's own syntax ("=", a leading "[" or ";", line breaks, the layer separator 0x01),
// a character the file's code page lacks, or (for masses) the key of another mass: such names
// are refused when entered and before saving.

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
};

/// Names entered in the name dialog hold at most this many characters (the controller's name
/// slots hold as many).
inline constexpr int MaxNameLength = 18;

/// Checks a name by itself. `limitLength`: entered names; names read from files are taken
/// whole and checked without it.
NameFault CheckName(const QString &name, bool limitLength = true);

/// Checks a new mass name (renamedMass = -1) or the new name of mass `renamedMass`.
NameFault CheckMassName(const MassLibrary &library, const QString &name, int renamedMass = -1);

/// Checks a new or changed layer name.
NameFault CheckLayerName(const QString &name);

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
/// order. For two masses that share a key the later one is named.
QList<NameProblem> CheckLibraryNames(const MassLibrary &library);

/// A line for a message box: which mass or layer, and why.
QString NameProblemText(const NameProblem &problem, quint8 language);
