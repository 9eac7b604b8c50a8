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
    entry.label = qobject_cast<const QLabel *>(widget);
    entry.button = qobject_cast<const QAbstractButton *>(widget);
    m_entries.push_back(std::move(entry));
}

void AccessibleValues::refresh()
{
    for (Entry &entry : m_entries) {
        if (!entry.widget)
            continue;
        QString context = entry.context ? entry.context() : QString();
        QString text = entry.label    ? entry.label->text()
                       : entry.button ? entry.button->text()
                                      : ShownText(entry.widget);
        if (entry.made && context == entry.madeFromContext && text == entry.madeFromText &&
            entry.widget->accessibleName() == entry.madeName)
            continue;
        entry.madeName = AccessibleValueName(context, ShownText(entry.widget));
        SetValueName(entry.widget, entry.madeName);
        entry.madeFromContext = std::move(context);
        entry.madeFromText = std::move(text);
        entry.made = true;
    }
}
