// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/accessiblevalues.h"

#include "service/servicewidgets.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTextDocumentFragment>

namespace
{

/// "&Save" reads "Save"; "&&" is a literal "&".
QString WithoutMnemonics(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

} // namespace

QString AccessibleValueName(const QString &context, const QString &shown)
{
    const QString value = shown.simplified();
    return context.isEmpty() ? value : ValueName(context, value);
}

QString ShownText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        const QString text = label->text();
        return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText()
                                         : text;
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return WithoutMnemonics(button->text());
    if (const auto *bar = qobject_cast<const QProgressBar *>(widget))
        return bar->isTextVisible() ? bar->text() : QString();
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->echoMode() == QLineEdit::Normal ? edit->text() : QString();
    return {};
}

void AccessibleValues::add(QWidget *widget, std::function<QString()> context)
{
    Entry entry;
    entry.widget = widget;
    entry.context = std::move(context);
    m_entries.push_back(std::move(entry));
}

void AccessibleValues::refresh()
{
    for (Entry &entry : m_entries) {
        if (!entry.widget)
            continue;
        QString context = entry.context ? entry.context() : QString();
        QString shown = ShownText(entry.widget);
        // Someone else may have named the widget meanwhile: only the inputs are compared.
        if (entry.made && context == entry.madeFromContext && shown == entry.madeFromShown &&
            entry.widget->accessibleName() == entry.madeName)
            continue;
        entry.madeName = AccessibleValueName(context, shown);
        SetValueName(entry.widget, entry.madeName);
        entry.madeFromContext = std::move(context);
        entry.madeFromShown = std::move(shown);
        entry.made = true;
    }
}
