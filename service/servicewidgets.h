#pragma once

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

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }
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
