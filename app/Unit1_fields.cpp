// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: marking the parameter fields whose value is out of range.

#include "app/Unit1.h"

#include "app/texts.h"
#include "library/paramentry.h"

#include <QLineEdit>

namespace
{

constexpr TextPair OutOfRangeHint{"Значение вне допустимых пределов: %1.",
                                  "The value is outside its range: %1."};
/// How a field out of range looks while it is.
const char *const OutOfRangeStyle = "QLineEdit { background-color: #ffd6d6; border: 1px solid "
                                    "#c00000; }";
const char *const OutOfRangeProperty = "outOfRange";

} // namespace

void TForm1::markFieldRanges()
{
    const ProgParam *record = m_selection.hasLayer() ? m_selection.CurrentParams.get() : nullptr;
    for (int k = 0; k < ProgParam::FieldCount; ++k) {
        QLineEdit *field = m_fields[size_t(k)];
        const bool out = record && FieldOutOfRange(*record, k, field->text());
        QString hint = Texts::FieldHint(k, m_console.Language);
        if (k == ProgParam::fVacOff && record)
            hint = tx(record->VacOffByTime == 1 ? Texts::VacOffTimeHint : Texts::VacOffTempHint);
        const QString range = out ? tx(OutOfRangeHint).arg(FieldRangeText(*record, k)) : QString();
        if (out)
            hint += QLatin1Char('\n') + range;
        if (field->toolTip() != hint)
            setHint(field, hint);
        if (field->accessibleDescription() != range)
            field->setAccessibleDescription(range);
        if (field->property(OutOfRangeProperty).toBool() != out) {
            field->setProperty(OutOfRangeProperty, out);
            field->setStyleSheet(out ? QString::fromLatin1(OutOfRangeStyle) : QString());
        }
    }
}
