// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/laboverview.h"

#include "app/furnacestatustexts.h"
#include "app/furnacewindows.h"
#include "common/textpair.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QVBoxLayout>

#include <cmath>

namespace
{

using namespace FurnaceStatusTexts;

constexpr TextPair Title{"Обзор лаборатории", "Lab overview"};
constexpr TextPair MinutesLeft{"осталось %1 мин", "%1 min left"};
constexpr TextPair TileName{"Печь %1", "Furnace %1"};

QFont sized(const QFont &base, int points, bool bold)
{
    QFont f = base;
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

} // namespace

FurnaceTile::FurnaceTile(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    auto label = [this](const char *name, int points, bool bold) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(sized(font(), points, bold));
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    lblTitle = label("lblTileTitle", 13, true);
    lblLink = label("lblTileLink", 11, false);
    lblTemperature = label("lblTileTemperature", 30, true);
    lblVacuum = label("lblTileVacuum", 18, true);
    lblChamber = label("lblTileChamber", 12, false);
    lblProgram = label("lblTileProgram", 13, true);
    lblStage = label("lblTileStage", 12, false);
    lblStage->setWordWrap(true);
    lblStep = label("lblTileStep", 14, true);
    lblTime = label("lblTileTime", 14, true);
    pbProgress = new QProgressBar(this);
    pbProgress->setObjectName(QStringLiteral("pbTileProgress"));
    pbProgress->setRange(0, 1000);
    pbProgress->setMinimumHeight(22);
    lblFault = label("lblTileFault", 14, true);
    lblFault->setWordWrap(true);
    lblFault->setStyleSheet(QStringLiteral("color: white; background: #b00000; padding: 4px"));
    lblChecks = label("lblTileChecks", 11, true);
    lblChecks->setWordWrap(true);
    lblChecks->setStyleSheet(QStringLiteral("color: #9a5b00"));

    auto *v = new QVBoxLayout(this);
    v->setSpacing(4);
    v->addWidget(lblTitle);
    v->addWidget(lblLink);
    auto *figures = new QHBoxLayout;
    figures->addWidget(lblTemperature);
    figures->addSpacing(16);
    figures->addWidget(lblVacuum, 0, Qt::AlignBottom);
    figures->addStretch(1);
    v->addLayout(figures);
    v->addWidget(lblChamber);
    v->addWidget(lblProgram);
    v->addWidget(lblStage);
    // The step and the time left on lines of their own: in large figures the two together are
    // wider than a tile.
    v->addWidget(lblStep);
    v->addWidget(lblTime);
    v->addWidget(pbProgress);
    v->addWidget(lblFault);
    v->addWidget(lblChecks);
    v->addStretch(1);
    setMinimumWidth(320);
}

void FurnaceTile::showStatus(const FurnaceStatus &s, quint8 language)
{
    auto t = [language](const TextPair &pair) { return pair.text(language); };
    QStringList said;
    const QString title = TitleOf(s, language);
    lblTitle->setText(title);
    said << t(TileName).arg(title);

    const QString link = t(LinkText(s.link));
    QString colour = QStringLiteral("#b06000");
    if (s.link == FurnaceStatus::Link::Closed)
        colour = QStringLiteral("#707070");
    else if (s.link == FurnaceStatus::Link::Answering)
        colour = QStringLiteral("#1a7f1a");
    lblLink->setText(link);
    lblLink->setStyleSheet(QStringLiteral("color: %1").arg(colour));
    said << link;

    const QString temperature =
        s.temperature ? QStringLiteral("%1 °C").arg(*s.temperature) : QStringLiteral("— °C");
    lblTemperature->setText(temperature);
    lblVacuum->setText(t(Vacuum).arg(s.vacuum ? QString::number(*s.vacuum) : QStringLiteral("—")));
    lblChamber->setText(s.chamber);
    said << temperature << lblVacuum->text();
    if (!s.chamber.isEmpty())
        said << s.chamber;

    const bool ran = !s.mass.isEmpty();
    lblProgram->setVisible(ran);
    lblProgram->setText(s.mass + QStringLiteral(" / ") + s.layer);
    lblStage->setText(s.running || ran ? s.stage : t(NoProgram));
    if (ran)
        said << lblProgram->text();
    said << lblStage->text();
    lblStep->setVisible(s.running);
    lblTime->setVisible(s.running);
    lblStep->setText(t(Step).arg(s.step));
    QStringList time;
    if (s.minutesLeft)
        time << t(MinutesLeft).arg(*s.minutesLeft);
    if (s.expectedEnd.isValid())
        time << t(EndsAt).arg(s.expectedEnd.toString(QStringLiteral("HH:mm")));
    lblTime->setText(time.join(QStringLiteral(" · ")));
    if (s.running)
        said << lblStep->text() << time;
    pbProgress->setVisible(s.running || s.progress >= 0);
    pbProgress->setValue(std::max(0, s.progress));
    pbProgress->setTextVisible(s.progress >= 0);
    pbProgress->setAccessibleName(t(Progress));

    lblFault->setVisible(!s.fault.isEmpty());
    lblFault->setText(t(Fault).arg(s.fault));
    if (!s.fault.isEmpty())
        said << lblFault->text();
    lblChecks->setVisible(!s.checksDue.isEmpty());
    lblChecks->setText(s.checksDue);
    if (!s.checksDue.isEmpty())
        said << s.checksDue;
    // A fault shows from across the room: the whole tile turns red-edged.
    setStyleSheet(s.fault.isEmpty() ? QString()
                                    : QStringLiteral("FurnaceTile { border: 3px solid #b00000 }"));

    for (QLabel *l : {lblTitle, lblLink, lblTemperature, lblVacuum, lblChamber, lblProgram,
                      lblStage, lblStep, lblTime, lblFault, lblChecks})
        l->setAccessibleName(l->text());
    said.removeAll(QString());
    m_summary = said.join(QStringLiteral(", "));
    setAccessibleName(m_summary);
}

void FurnaceTile::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QFrame::mousePressEvent(event);
}

LabOverview::LabOverview(FurnaceWindows &windows, quint8 language, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_windows(windows)
    , m_language(language)
{
    setObjectName(QStringLiteral("LabOverview"));
    auto *v = new QVBoxLayout(this);
    lblEmpty = new QLabel(this);
    lblEmpty->setObjectName(QStringLiteral("lblOverviewEmpty"));
    v->addWidget(lblEmpty);
    m_grid = new QGridLayout;
    m_grid->setSpacing(10);
    v->addLayout(m_grid, 1);
    connect(&m_windows, &FurnaceWindows::windowsChanged, this, &LabOverview::rebuild);
    setLanguage(language);
    rebuild();
}

void LabOverview::setLanguage(quint8 language)
{
    m_language = language;
    setWindowTitle(Title.text(language));
    setAccessibleName(Title.text(language));
    lblEmpty->setText(NoWindows.text(language));
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it)
        refresh(it.key());
}

FurnaceTile *LabOverview::tileOf(TForm1 *window) const
{
    return m_tiles.value(window);
}

void LabOverview::rebuild()
{
    for (FurnaceTile *tile : std::as_const(m_tiles))
        delete tile;
    m_tiles.clear();
    const QList<TForm1 *> windows = m_windows.windows();
    lblEmpty->setVisible(windows.isEmpty());
    // As square as it goes: two furnaces side by side, eight in two rows of four.
    const int columns = std::max(1, int(std::ceil(std::sqrt(double(windows.size())))));
    for (qsizetype i = 0; i < windows.size(); ++i) {
        TForm1 *window = windows[i];
        auto *tile = new FurnaceTile(this);
        tile->setObjectName(QStringLiteral("FurnaceTile%1").arg(i + 1));
        m_grid->addWidget(tile, int(i) / columns, int(i) % columns);
        m_tiles.insert(window, tile);
        connect(window, &TForm1::statusChanged, tile, [this, window] { refresh(window); });
        connect(tile, &FurnaceTile::clicked, window, [window] {
            window->showNormal();
            window->raise();
            window->activateWindow();
        });
        refresh(window);
    }
}

void LabOverview::refresh(TForm1 *window)
{
    if (FurnaceTile *tile = m_tiles.value(window))
        tile->showStatus(window->furnaceStatus(), m_language);
}
