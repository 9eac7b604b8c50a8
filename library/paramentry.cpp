// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/paramentry.h"

namespace
{

constexpr int FiringTimeField = ProgParam::fFiringTime;
constexpr int VacOffField = ProgParam::fVacOff;

/// Largest value a field holds (unsigned 16 bits); a larger entry is out of range, not stored.
constexpr qint64 MaxFieldValue = 0xFFFF;

/// A decimal number of ASCII digits only, at most MaxFieldValue; otherwise the reason it is not
/// one.
struct Decimal {
    qint64 value = 0;
    std::optional<FieldIssue::Kind> fault;
};

Decimal parseDecimal(const QString &text)
{
    if (text.isEmpty())
        return {0, FieldIssue::NotANumber};
    qint64 value = 0;
    bool tooLarge = false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {0, FieldIssue::NotANumber};
        if (!tooLarge) {
            value = value * 10 + (c.unicode() - '0');
            tooLarge = value > MaxFieldValue;
        }
    }
    if (tooLarge)
        return {0, FieldIssue::TooLarge};
    return {value, std::nullopt};
}

/// Applies the text of field k to `record`, adding what the window must show to `result`.
void applyFieldText(ProgParam &record, int k, const QString &text, ApplyResult &result)
{
    if (text.isEmpty()) {
        record.setField(k, k == ProgParam::fHeatRate ? 1 : 0);
        return;
    }

    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        const Decimal number = parseDecimal(text);
        if (number.fault) {
            result.issues.append({k, *number.fault, text});
            return;
        }
        record.setField(k, quint16(number.value));
        if (k == FiringTimeField)
            result.firingForm = EntryForm::Plain;
        if (k == VacOffField) {
            record.VacOffByTime = 0;
            result.vacOffForm = EntryForm::Plain;
        }
        return;
    }

    const QString minutes = text.left(colon);
    const QString seconds = text.mid(colon + 1);
    qint64 total = 0;
    if (!minutes.isEmpty()) {
        const Decimal m = parseDecimal(minutes);
        if (m.fault) {
            result.issues.append({k, *m.fault, text});
            return;
        }
        total = m.value * 60;
    }
    if (!seconds.isEmpty()) {
        bool wrongForm = seconds.size() > 2;
        if (!wrongForm) {
            const Decimal s = parseDecimal(seconds);
            if (s.fault) {
                result.issues.append({k, *s.fault, text});
                return;
            }
            wrongForm = s.value >= 60;
            total += s.value;
        }
        if (wrongForm) {
            result.issues.append({k, FieldIssue::WrongTimeFormat, text});
            if (IsTimeField(k))
                result.focusField = k;
            return;
        }
    }
    if (total > MaxFieldValue) {
        result.issues.append({k, FieldIssue::TooLarge, text});
        return;
    }
    if (k == FiringTimeField)
        result.firingForm = EntryForm::MinutesSeconds;
    if (k == VacOffField) {
        record.VacOffByTime = 1;
        result.vacOffForm = EntryForm::MinutesSeconds;
    }
    record.setField(k, quint16(total));
}

} // namespace

bool IsTimeField(int k)
{
    return k == FiringTimeField || k == VacOffField;
}

std::optional<QChar> FilterParamKey(QChar key, int k)
{
    if (key == QChar(0x08) || (key >= QLatin1Char('0') && key <= QLatin1Char('9')))
        return key;
    if (IsTimeField(k)) {
        if (key == QLatin1Char('.') || key == QLatin1Char(':'))
            return QLatin1Char(':');
    }
    return std::nullopt;
}

QString MinutesSecondsText(quint16 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString FieldText(const ProgParam &record, int k)
{
    const quint16 value = record.field(k);
    if (k == FiringTimeField || (k == VacOffField && record.VacOffByTime == 1))
        return MinutesSecondsText(value);
    return QString::number(value);
}

std::array<QString, ProgParam::FieldCount> RecordTexts(const ProgParam &record)
{
    std::array<QString, ProgParam::FieldCount> texts;
    for (int k = 0; k < ProgParam::FieldCount; ++k)
        texts[size_t(k)] = FieldText(record, k);
    return texts;
}

ApplyResult ApplyFieldTexts(ProgParam &record,
                            const std::array<QString, ProgParam::FieldCount> &texts)
{
    ApplyResult result;
    for (int k = 0; k < ProgParam::FieldCount; ++k)
        applyFieldText(record, k, texts[size_t(k)], result);
    return result;
}

std::optional<ApplyResult> ApplyEdits(LibrarySelection &selection,
                                      const std::array<QString, ProgParam::FieldCount> &texts)
{
    if (!selection.hasLayer() || !selection.ChangeTracking)
        return std::nullopt;
    selection.ParamsChanged = true;
    return ApplyFieldTexts(*selection.CurrentParams, texts);
}

QString NotANumberMessage(const FieldIssue &issue, quint8 language)
{
    const QString edit = QStringLiteral("Edit%1").arg(issue.field + 1);
    if (issue.kind == FieldIssue::TooLarge) {
        const TextPair text = {"%1: число «%2» слишком велико; поле сохраняет прежнее значение.",
                               "%1: the number \"%2\" is too large; the field keeps its previous "
                               "value."};
        return text.text(language).arg(edit, issue.text);
    }
    const TextPair text = {"%1: «%2» не является числом; поле сохраняет прежнее значение.",
                           "%1: \"%2\" is not a number; the field keeps its previous value."};
    return text.text(language).arg(edit, issue.text);
}

bool FieldOutOfRange(const ProgParam &record, int k, const QString &text)
{
    const quint16 value = record.field(k);
    if (value < ParamMin[size_t(k)] || value > ParamMax[size_t(k)])
        return true;
    // An entry too large to store is judged by its text: the record kept its old value.
    ProgParam scratch = record;
    ApplyResult result;
    applyFieldText(scratch, k, text, result);
    return !result.issues.isEmpty() && result.issues.front().kind == FieldIssue::TooLarge;
}

int FirstFieldOutOfRange(const ProgParam &record,
                         const std::array<QString, ProgParam::FieldCount> &texts)
{
    for (int k = 0; k < ProgParam::FieldCount; ++k) {
        if (FieldOutOfRange(record, k, texts[size_t(k)]))
            return k;
    }
    return -1;
}

QString FieldRangeText(const ProgParam &record, int k)
{
    const quint16 low = ParamMin[size_t(k)];
    const quint16 high = ParamMax[size_t(k)];
    if (k == FiringTimeField || (k == VacOffField && record.VacOffByTime == 1))
        return MinutesSecondsText(low) + QChar(0x2026) + MinutesSecondsText(high);
    return QString::number(low) + QChar(0x2026) + QString::number(high);
}

int FirstFieldOutOfRange(const ProgParam &record)
{
    for (int k = 0; k < ProgParam::FieldCount; ++k) {
        const quint16 value = record.field(k);
        if (value < ParamMin[size_t(k)] || value > ParamMax[size_t(k)])
            return k;
    }
    return -1;
}

ParamCheck CheckProgParams(const ProgParam &p)
{
    struct Rule {
        bool refused;
        quint8 field;
    };
    // All comparisons on the unsigned stored values; the order decides which field is named.
    const Rule rules[] = {
        {p.PreHeatTemp > 700 && p.PreHeatLevel < 100, 8},
        {p.HeatTemp < p.PreHeatTemp, 10},
        {p.PreHeatTemp < p.DryTemp, 4},
        {p.HeatTemp < p.CoolTemp, 10},
        {p.OpenTemp > p.CoolTemp, 16},
        {p.PreDryTemp < 20, 0},
        {p.PreDryTemp > p.DryTemp, 0},
        {p.DryCloseTime > 15, 3},
        {p.PreHeatCloseTime > 15, 7},
        {p.DryHold > 15, 5},
        {p.PreHeatHold > 15, 9},
        {p.HeatRate < 1, 11},
        {p.HeatRate > 140, 11},
        {p.HeatTemp > 1150, 10},
        {p.FiringTime > 3600, 12},
        {p.VacOnTemp > p.HeatTemp, 18},
        {p.VacOffByTime == 1 && p.VacOff > p.FiringTime, 19},
        {p.VacOffByTime == 0 && p.VacOff > p.HeatTemp, 19},
        {p.OpenTemp < 20, 16},
        {p.OpenTime > 15, 17},
        {p.DryLevel > p.PreHeatLevel, 2},
        {p.PreHeatLevel > 100, 6},
        {p.PreDryHold > 15, 1},
        {p.CoolTime > 15, 14},
        {p.TemperingTime > 15, 15},
    };
    int number = 1;
    for (const Rule &rule : rules) {
        if (rule.refused)
            return {true, rule.field, number};
        ++number;
    }
    return {};
}
