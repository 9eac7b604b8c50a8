// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

#include <algorithm>

/// The labels, buttons and text fields of `window` whose accessible name (or description) does
/// not hold what they show, as "objectName: name / shown" — empty when a screen reader reads
/// every value and caption shown. Captions of signs alone ("[]") and password fields are left
/// out.
inline QStringList UnreadValues(QWidget *window)
{
    QStringList unread;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        QString shown;
        if (auto *label = qobject_cast<QLabel *>(w))
            shown = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            shown = button->text().remove(QLatin1Char('&'));
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            shown = edit->echoMode() == QLineEdit::Normal ? edit->text() : QString();
        shown = shown.simplified();
        const bool words =
            std::any_of(shown.begin(), shown.end(), [](QChar ch) { return ch.isLetterOrNumber(); });
        if (!words || !w->isVisibleTo(window))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        const QString read = a ? a->text(QAccessible::Name) + QLatin1Char('\n') +
                                     a->text(QAccessible::Description) + QLatin1Char('\n') +
                                     a->text(QAccessible::Value)
                               : QString();
        if (!read.contains(shown))
            unread << w->objectName() + QStringLiteral(": ") + read.simplified() +
                          QStringLiteral(" / ") + shown;
    }
    return unread;
}
