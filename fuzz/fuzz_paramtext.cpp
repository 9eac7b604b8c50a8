// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the twenty parameter texts applied to a layer's record, checked against a
// reading of the entry rules of its own: empty is 0 (1 for the heating rate); "M:S" is M minutes
// (none when M is empty) and S seconds (at most two digits, below 60; none when S is empty);
// anything else a decimal number; digits are ASCII; a value above 65535 or a text that is not a
// number is reported and leaves its field as it was. A value stored as minutes and seconds is
// shown so that it reads back the same.

#include "fuzz/fuzzcheck.h"
#include "library/paramentry.h"

#include <cstdint>
#include <string>

namespace
{

struct Expected {
    bool applied = false;
    quint16 value = 0;
    FieldIssue::Kind issue = FieldIssue::NotANumber;
    bool minutesSeconds = false;
};

bool digitsOnly(const std::u16string &s)
{
    for (char16_t c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !s.empty();
}

/// The value of a string of digits, or nothing when it exceeds 65535.
std::optional<quint32> smallValue(const std::u16string &digits)
{
    const size_t first = digits.find_first_not_of(u'0');
    if (first == std::u16string::npos)
        return 0;
    if (digits.size() - first > 5)
        return std::nullopt;
    quint32 v = 0;
    for (size_t i = first; i < digits.size(); ++i)
        v = v * 10 + quint32(digits[i] - u'0');
    if (v > 0xFFFF)
        return std::nullopt;
    return v;
}

Expected expect(const std::u16string &text, int k)
{
    Expected e;
    const auto fault = [&e](FieldIssue::Kind kind) {
        e.issue = kind;
        return e;
    };
    if (text.empty()) {
        e.applied = true;
        e.value = k == ProgParam::fHeatRate ? 1 : 0;
        return e;
    }
    const size_t colon = text.find(u':');
    if (colon == std::u16string::npos) {
        if (!digitsOnly(text))
            return fault(FieldIssue::NotANumber);
        const auto v = smallValue(text);
        if (!v)
            return fault(FieldIssue::TooLarge);
        e.applied = true;
        e.value = quint16(*v);
        return e;
    }
    const std::u16string m = text.substr(0, colon);
    const std::u16string s = text.substr(colon + 1);
    quint64 total = 0;
    if (!m.empty()) {
        if (!digitsOnly(m))
            return fault(FieldIssue::NotANumber);
        const auto v = smallValue(m);
        if (!v)
            return fault(FieldIssue::TooLarge);
        total = quint64(*v) * 60;
    }
    if (!s.empty()) {
        if (s.size() > 2)
            return fault(FieldIssue::WrongTimeFormat);
        if (!digitsOnly(s))
            return fault(FieldIssue::NotANumber);
        const quint32 v = *smallValue(s);
        if (v >= 60)
            return fault(FieldIssue::WrongTimeFormat);
        total += v;
    }
    if (total > 0xFFFF)
        return fault(FieldIssue::TooLarge);
    e.applied = true;
    e.value = quint16(total);
    e.minutesSeconds = true;
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Twenty texts, one a line; the first byte picks the record they are applied to.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ProgParam before;
    const quint8 seed = size > 0 ? data[0] : 0;
    for (int k = 0; k < ProgParam::FieldCount; ++k)
        before.setField(k, quint16(seed * 257 + k));
    before.VacOffByTime = seed & 1;
    std::array<QString, ProgParam::FieldCount> texts;
    const QList<QByteArray> lines = bytes.mid(1).split('\n');
    for (int k = 0; k < ProgParam::FieldCount && k < lines.size(); ++k)
        texts[size_t(k)] = QString::fromUtf8(lines[k]);

    ProgParam record = before;
    const ApplyResult result = ApplyFieldTexts(record, texts);

    int focus = -1;
    EntryForm firing = EntryForm::Unchanged;
    EntryForm vacOff = EntryForm::Unchanged;
    quint8 vacOffByTime = before.VacOffByTime;
    QList<FieldIssue> issues;
    for (int k = 0; k < ProgParam::FieldCount; ++k) {
        const QString &text = texts[size_t(k)];
        const Expected e = expect(text.toStdU16String(), k);
        if (!e.applied) {
            Require(record.field(k) == before.field(k), "a refused text leaves its field");
            issues.append({k, e.issue, text});
            if (e.issue == FieldIssue::WrongTimeFormat && IsTimeField(k))
                focus = k;
            continue;
        }
        Require(record.field(k) == e.value, "an applied text stores its value");
        if (text.isEmpty())
            continue;
        const EntryForm form = e.minutesSeconds ? EntryForm::MinutesSeconds : EntryForm::Plain;
        if (k == ProgParam::fFiringTime)
            firing = form;
        if (k == ProgParam::fVacOff) {
            vacOff = form;
            vacOffByTime = e.minutesSeconds ? 1 : 0;
        }
        if (e.minutesSeconds) {
            // Shown as minutes and seconds, it reads back the same.
            std::array<QString, ProgParam::FieldCount> shown = texts;
            shown[size_t(k)] = MinutesSecondsText(e.value);
            ProgParam again = before;
            ApplyFieldTexts(again, shown);
            Require(again.field(k) == e.value, "minutes and seconds read back the same");
        }
    }
    Require(result.issues == issues, "the refused texts are reported, in field order");
    Require(result.focusField == focus, "the focus goes to the last time field in a wrong form");
    Require(result.firingForm == firing && result.vacOffForm == vacOff, "the unit labels");
    Require(record.VacOffByTime == vacOffByTime, "VacOffByTime follows the vacuum-off form");
    return 0;
}
