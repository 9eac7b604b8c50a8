// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/librarylists.h"

#include "library/namerules.h"

#include <QEvent>
#include <QListWidget>
#include <QMouseEvent>

namespace LibraryLists
{

namespace
{

/// Characters per line of a long name's tool tip, and the most characters it shows.
constexpr int TipLineLength = 80;
constexpr int TipLength = 2000;

/// Remembers whether the last left-button press landed on the current item.
class ReclickFilter : public QObject
{
public:
    ReclickFilter(QListWidget *list, std::function<void()> reclicked)
        : QObject(list)
        , m_list(list)
        , m_reclicked(std::move(reclicked))
    {
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::clicked, this, [this](const QModelIndex &index) {
            if (m_pressedCurrent && index == m_list->currentIndex())
                m_reclicked();
            m_pressedCurrent = false;
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const QModelIndex at = m_list->indexAt(mouse->position().toPoint());
            m_pressedCurrent =
                mouse->button() == Qt::LeftButton && at.isValid() && at == m_list->currentIndex();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QListWidget *m_list;
    std::function<void()> m_reclicked;
    bool m_pressedCurrent = false;
};

} // namespace

void OnReclick(QListWidget *list, std::function<void()> reclicked)
{
    new ReclickFilter(list, std::move(reclicked));
}

void SetItemName(QListWidgetItem *item, const QString &name)
{
    if (name.size() <= ShownNameLength) {
        item->setText(name);
        return;
    }
    item->setText(ElideName(name, ShownNameLength));
    const QString shown = ElideName(name, TipLength);
    QStringList lines;
    for (qsizetype at = 0; at < shown.size(); at += TipLineLength)
        lines << shown.mid(at, TipLineLength);
    item->setToolTip(lines.join(QLatin1Char('\n')));
}

} // namespace LibraryLists

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const
{
    return {0, QLabel::sizeHint().height()};
}

void ElidedLabel::setFullText(const QString &text)
{
    m_full = text;
    setToolTip(text);
    showFitted();
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    showFitted();
}

void ElidedLabel::showFitted()
{
    const int room = contentsRect().width();
    setText(room > 0 ? fontMetrics().elidedText(m_full, Qt::ElideMiddle, room) : m_full);
}
