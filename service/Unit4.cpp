// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/Unit4.h"

#include "common/consolestate.h"
#include "link/link.h"
#include "service/servicelogic.h"
#include "service/servicetexts.h"
#include "service/servicewidgets.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace T = ServiceTexts;

namespace
{

constexpr QSize DesignSize(287, 251);

} // namespace

TTuneReper::TTuneReper(Link &link, ConsoleState &console, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_console(console)
{
    setObjectName(QStringLiteral("TuneReper"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(ServiceWindowFont());

    gbTuneReper = new QGroupBox(this);
    gbTuneReper->setObjectName(QStringLiteral("gbTuneReper"));
    auto *column = new QVBoxLayout(gbTuneReper);
    auto label = [&](const QString &name, const QString &text = {}) {
        auto *l = new QLabel(text, gbTuneReper);
        l->setObjectName(name);
        column->addWidget(l);
        return l;
    };
    lblTwork = label(QStringLiteral("lblTwork"));
    lblNwork = label(QStringLiteral("lblNwork"));
    lblUrd = label(QStringLiteral("lblUrd"), QStringLiteral("Uрд="));
    for (size_t i = 0; i < Uwork.size(); ++i)
        Uwork[i] = label(QStringLiteral("Uwork%1").arg(i + 1));
    lbldT = label(QStringLiteral("lbldT"), QStringLiteral("dT="));
    column->addStretch();
    auto *outer = new QVBoxLayout(FixedSizeBody(this, DesignSize));
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(gbTuneReper);
}

QString TTuneReper::tx(const TextPair &pair) const
{
    return pair.text(m_console.Language);
}

void TTuneReper::fillFromBlock()
{
    const ServiceBlock &block = m_link.image().Block;
    lblTwork->setText(Service::TOperationText(block, m_console.Language));
    lblNwork->setText(Service::TuneCountText(block, m_console.Language));
    for (size_t i = 0; i < Uwork.size(); ++i)
        Uwork[i]->setText(Service::UOperationText(block, int(i), m_console.Language));
}

void TTuneReper::FormShow()
{
    setWindowTitle(tx(T::TuneCaption));
    gbTuneReper->setTitle(tx(T::TuneGroup));
    nameResult();
}

void TTuneReper::nameResult()
{
    // The other labels carry their own words and are read as they show.
    SetValueName(lbldT, ValueName(tx(T::TuneGroup), lbldT->text()));
}

void TTuneReper::setVisible(bool visible)
{
    if (visible && !isVisible())
        FormShow();
    QDialog::setVisible(visible);
}

void TTuneReper::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TTuneReper::ReperTuningStep()
{
    FurnaceImage &image = m_link.image();
    lblUrd->setText(tx(T::Urd) + QString::number(image.ReperValue1) + tx(T::Millivolt));
    if (const std::optional<TextPair> phase = Service::ReperTuningPhase(image.ServiceStep)) {
        lbldT->setText(tx(*phase));
    } else {
        lbldT->setText(Service::TuningResultText(image.Block, image.ReperValue2));
        image.ServiceStep = 0;
        m_console.ConsoleMode = ConsoleMode::Idle;
    }
    nameResult();
    m_link.request(RequestKind::ReperValues);
}
