// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "library/libraryselection.h"
#include "library/progparam.h"

#include <QChar>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// Entering a layer's twenty fields as text (edit fields Edit1..Edit20; field k in Edit k+1),
// showing them, and checking them. Pure functions: the window reads and writes its widgets and
// shows what the results ask for.

/// Inclusive bounds of fields 0..19 checked when the user leaves an edit field.
inline constexpr std::array<quint16, ProgParam::FieldCount> ParamMin = {
    20, 0, 0, 0, 20, 0, 0, 0, 20, 0, 20, 1, 0, 20, 0, 0, 20, 0, 20, 0};
inline constexpr std::array<quint16, ProgParam::FieldCount> ParamMax = {
    700,  15,  100,  15,   1150, 15, 100,  15, 1150, 15,
    1150, 140, 3600, 1150, 15,   15, 1150, 15, 1150, 3600};

/// The two fields entered and shown as minutes:seconds (FiringTime, VacOff).
bool IsTimeField(int k);

/// Key filter of the edit fields (Edit1KeyPress) for a key typed into field k: the character
/// to insert, or nothing when the key is dropped. Backspace (U+0008) and digits pass; in the
/// two time fields a full stop becomes a colon and a colon passes.
std::optional<QChar> FilterParamKey(QChar key, int k);

/// Seconds as minutes:seconds: 90 → "1:30", 5 → "0:05", 3600 → "60:00".
QString MinutesSecondsText(quint16 seconds);
/// Text of field k as shown in its edit field (field 12 always, field 19 when VacOffByTime is
/// 1, as minutes:seconds; others decimal).
QString FieldText(const ProgParam &record, int k);
/// The twenty field texts, Edit1..Edit20.
std::array<QString, ProgParam::FieldCount> RecordTexts(const ProgParam &record);

/// A field text that could not be applied; the field kept its previous value.
struct FieldIssue {
    enum Kind {
        WrongTimeFormat, ///< minutes:seconds with more than two second digits or seconds >= 60
        NotANumber,      ///< not a decimal number (only pasting can bring such text)
        TooLarge,        ///< a value above 65535: out of range, like any value out of bounds
    };
    int field = 0;
    Kind kind = NotANumber;
    QString text; ///< the field's text as it was

    bool operator==(const FieldIssue &) const = default;
};

/// How a field was entered, for the unit labels beside Edit13 and Edit20.
enum class EntryForm {
    Unchanged,      ///< no label change (empty text, or a text that was not applied)
    MinutesSeconds, ///< "mm:ss"
    Plain,          ///< Edit13: seconds ("sec"); Edit20: a temperature ("°C")
};

/// What the window does after the twenty texts were applied.
struct ApplyResult {
    /// In field order. Show the time-format warning for each WrongTimeFormat and a message
    /// (NotANumberMessage) for each NotANumber; a TooLarge field is out of range, which shows
    /// no message (FieldOutOfRange marks it).
    QList<FieldIssue> issues;
    /// Field whose edit field takes the focus (12 or 19 after a wrong time form), or -1.
    int focusField = -1;
    /// lblFiringDimension: MinutesSeconds → "mm:ss", Plain → "sec".
    EntryForm firingForm = EntryForm::Unchanged;
    /// lblVacDimension and Edit20's hint: MinutesSeconds → "mm:ss" and the time-form hint,
    /// Plain → "°C" and the temperature-form hint.
    EntryForm vacOffForm = EntryForm::Unchanged;
};

/// Applies the twenty texts to `record` in field order (Edit1Change): empty → 1 for HeatRate
/// and 0 otherwise; "m:ss" (M empty → 0 minutes; more than two second digits or seconds >= 60
/// is a wrong form); a decimal number. Field 19's form sets VacOffByTime. A text that cannot be
/// applied (a wrong form, no number, a value above 65535) leaves its field unchanged and is
/// reported; later fields are still applied.
ApplyResult ApplyFieldTexts(ProgParam &record,
                            const std::array<QString, ProgParam::FieldCount> &texts);

/// Edit1Change as a whole: nothing (no result) unless a layer is selected and ChangeTracking
/// is on; otherwise sets ParamsChanged and applies the texts to CurrentParams.
std::optional<ApplyResult> ApplyEdits(LibrarySelection &selection,
                                      const std::array<QString, ProgParam::FieldCount> &texts);

/// The message for a NotANumber or TooLarge issue, naming the edit field (e.g. "Edit5").
QString NotANumberMessage(const FieldIssue &issue, quint8 language);

/// Caption of the message boxes for field entry problems, "Внимание" / "Attention".
inline constexpr TextPair EntryWarningCaption = {"Внимание", "Attention"};
/// Warning shown for a WrongTimeFormat issue.
inline constexpr TextPair WrongTimeFormatText = {"Неверный формат времени \"мм:сс\"!",
                                                 "Wrong time format \"mm:ss\"!"};

/// First field (Edit1Exit's order, 0..19) whose value lies outside ParamMin..ParamMax, or -1.
int FirstFieldOutOfRange(const ProgParam &record);

/// True when field k is out of range while its edit field shows `text`: the stored value lies
/// outside ParamMin..ParamMax, or the text holds a value above 65535 (which was not stored).
bool FieldOutOfRange(const ProgParam &record, int k, const QString &text);
/// First field (0..19) out of range with the edit fields showing `texts`, or -1 (Edit1Exit).
int FirstFieldOutOfRange(const ProgParam &record,
                         const std::array<QString, ProgParam::FieldCount> &texts);
/// Field k's bounds as they are entered, e.g. "20…700", "0:00…60:00".
QString FieldRangeText(const ProgParam &record, int k);

/// Result of the full check before a program start.
struct ParamCheck {
    bool refused = false;
    /// The field the refusal is reported against (0..19); 0 when not refused.
    quint8 ParamErrorField = 0;
    /// Which of the 25 checks failed (1..25); 0 when not refused.
    int check = 0;
};

/// The full consistency check (25 checks in a fixed order; the first that fails wins).
ParamCheck CheckProgParams(const ProgParam &params);
