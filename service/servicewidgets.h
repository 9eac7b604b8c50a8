// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QValidator>
#include <QWidget>

class Dialogs;
class Link;
class QKeyEvent;
class QSize;
class QToolButton;

/// The small up/down arrow pair beside a number field; holding an arrow repeats it.
class UpDown : public QWidget
{
    Q_OBJECT
public:
    enum class Button { Up, Down };

    /// `name` is the objectName; the arrows are named `name` + "Up" and `name` + "Down".
    explicit UpDown(const QString &name, QWidget *parent = nullptr);

    /// Names a screen reader gives the pair and its two arrows.
    void setAccessibleNames(const QString &pair, const QString &up, const QString &down);

signals:
    void clicked(UpDown::Button button);

private:
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
};

/// Whether the key filter of a numeric field drops `event`: a printable character that is not
/// a digit. Backspace, editing and navigation keys and shortcuts pass.
bool DropsNonDigitKey(const QKeyEvent *event);

/// The font of the service windows: Verdana, 11 px.
QFont ServiceWindowFont();

/// The area of `window` that holds its contents: at least `design` in size, more when the
/// contents need it. The window's size is fixed to it and follows it (a language switch).
QWidget *FixedSizeBody(QWidget *window, QSize design);

/// Whether the furnace image's settings block came from the controller. When not, the user is
/// told that the change is not sent (a block of zeros must never be written) and the block is
/// asked for again.
bool ServiceBlockKnown(Link &link, Dialogs &dialogs, QWidget *owner, quint8 language);

/// "context: text", the name a screen reader gives a control that shows a value or a changing
/// caption (one space only after a context that ends in a colon); the context alone while the
/// control shows nothing.
QString ValueName(const QString &context, const QString &text);
/// Gives `widget` the accessible name `name` when it has another; Qt announces the change to
/// a screen reader (an unchanged name is not announced again).
void SetValueName(QWidget *widget, const QString &name);

/// Accepts the support temperatures that are sent (empty, or digits up to
/// Service::MaxSupportTemp): an edit that would make the field show another is refused.
class SupportTempValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
