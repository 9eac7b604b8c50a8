// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/servicewidgets.h"

#include "common/dialogs.h"
#include "link/link.h"
#include "service/servicelogic.h"
#include "service/servicetexts.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(const QString &name, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto arrow = [&](Qt::ArrowType type, const QString &suffix, Button button) {
        auto *b = new QToolButton(this);
        b->setObjectName(name + suffix);
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, button] { emit clicked(button); });
        column->addWidget(b);
        return b;
    };
    m_up = arrow(Qt::UpArrow, QStringLiteral("Up"), Button::Up);
    m_down = arrow(Qt::DownArrow, QStringLiteral("Down"), Button::Down);
}

void UpDown::setAccessibleNames(const QString &pair, const QString &up, const QString &down)
{
    setAccessibleName(pair);
    m_up->setAccessibleName(up);
    m_up->setToolTip(up);
    m_down->setAccessibleName(down);
    m_down->setToolTip(down);
}

bool DropsNonDigitKey(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty() || event->key() == Qt::Key_Backspace)
        return false;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F &&
            (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return true;
    }
    return false;
}

QFont ServiceWindowFont()
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(11);
    return font;
}

QWidget *FixedSizeBody(QWidget *window, QSize design)
{
    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto *body = new QWidget(window);
    body->setObjectName(QStringLiteral("body"));
    body->setMinimumSize(design);
    outer->addWidget(body);
    return body;
}

bool ServiceBlockKnown(Link &link, Dialogs &dialogs, QWidget *owner, quint8 language)
{
    if (link.image().BlockRead)
        return true;
    link.request(RequestKind::ReadServiceBlock);
    dialogs.message(owner, Dialogs::Icon::Error, ServiceTexts::ErrorCaption.text(language),
                    ServiceTexts::BlockNotRead.text(language));
    return false;
}

QString ValueName(const QString &context, const QString &text)
{
    if (text.isEmpty())
        return context;
    return context +
           (context.endsWith(QLatin1Char(':')) ? QStringLiteral(" ") : QStringLiteral(": ")) + text;
}

void SetValueName(QWidget *widget, const QString &name)
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

QValidator::State SupportTempValidator::validate(QString &input, int &) const
{
    return Service::SupportTempToSend(input) ? Acceptable : Invalid;
}
