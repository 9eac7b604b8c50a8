// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QAbstractButton;
class QLabel;

/// The accessible name a control gets from its context and what it shows: "context: shown"
/// as the service windows name their values (ValueName), or what it shows alone without a
/// context.
QString AccessibleValueName(const QString &context, const QString &shown);

/// What a label, button, progress bar or line edit shows right now, as plain text (mnemonic
/// marks, "&", are not read out).
QString ShownText(const QWidget *widget);

/// Keeps the accessible names of the controls that show a value or a changing caption in step
/// with what they show, so that a screen reader hears "Temperature in chamber: T=856°C" and not
/// the bare context. A name is set (and the change announced) only when it differs.
class AccessibleValues
{
public:
    /// `context` gives the control's context in the language in force (empty: the text alone).
    void add(QWidget *widget, std::function<QString()> context);
    /// Brings every name up to date with what its control shows.
    void refresh();

private:
    struct Entry {
        QPointer<QWidget> widget;
        std::function<QString()> context;
        /// The widget as a label or a button (found once), whose text is read straight.
        const QLabel *label = nullptr;
        const QAbstractButton *button = nullptr;
        /// What the name was last made from, and the name: refreshed on every reply, most
        /// names stay as they are.
        QString madeFromContext;
        QString madeFromText;
        QString madeName;
        bool made = false;
    };
    std::vector<Entry> m_entries;
};
