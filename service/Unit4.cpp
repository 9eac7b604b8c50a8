#include "Unit4.h"

#include "consolestate.h"
#include "link.h"
#include "servicelogic.h"
#include "servicetexts.h"
#include "servicewidgets.h"

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
    lblTwork->setText(tx(T::TOperation) + QString::number(block.Trep()) + QStringLiteral("°C"));
    lblNwork->setText(tx(T::RsWorkedOut) + QString::number(block.ReperCount()) + tx(T::Times));
    const quint16 voltages[] = {block.Urep1(), block.Urep2(), block.Urep3()};
    for (size_t i = 0; i < Uwork.size(); ++i)
        Uwork[i]->setText(tx(T::UOperation[i]) + QString::number(voltages[i]) + tx(T::Millivolt));
}

void TTuneReper::FormShow()
{
    setWindowTitle(tx(T::TuneCaption));
    gbTuneReper->setTitle(tx(T::TuneGroup));
    lbldT->setAccessibleName(tx(T::TuneGroup));
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
        const int dT = int(image.ReperValue2) - int(image.Block.Trep());
        lbldT->setText(QStringLiteral("dT= %1°C").arg(dT));
        image.ServiceStep = 0;
        m_console.ConsoleMode = ConsoleMode::Idle;
    }
    m_link.request(RequestKind::ReperValues);
}
