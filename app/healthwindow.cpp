// SPDX-License-Identifier: GPL-3.0-or-later
// The furnace health window: its layout and texts, reading a furnace's figures, the plots and
// the tolerances. The flagged firings are in healthflags.cpp, the checks and the summary in
// healthchecks.cpp.

#include "app/healthwindow.h"

#include "app/accessiblevalues.h"
#include "app/healthtexts.h"
#include "app/historytexts.h"
#include "common/dialogs.h"
#include "graph/healthplot.h"
#include "service/servicewidgets.h"

#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QSysInfo>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace T = HealthTexts;

namespace
{

/// Sealed firings that come together are read once, ms.
constexpr int RefreshDelayMs = 300;

} // namespace

HealthWindow::HealthWindow(Logbook &logbook, Dialogs &dialogs, HealthHooks hooks, quint8 language,
                           QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_logbook(logbook)
    , m_dialogs(dialogs)
    , m_hooks(std::move(hooks))
    , m_language(language)
{
    setObjectName(QStringLiteral("HealthWindow"));
    m_refreshDelay = new QTimer(this);
    m_refreshDelay->setSingleShot(true);
    m_refreshDelay->setInterval(RefreshDelayMs);
    m_nameTimer = new QTimer(this);
    m_nameTimer->setInterval(0);
    build();

    connect(m_refreshDelay, &QTimer::timeout, this, &HealthWindow::reload);
    connect(m_nameTimer, &QTimer::timeout, this, &HealthWindow::nameFlaggedFirings);
    connect(cmbFurnace, &QComboBox::currentIndexChanged, this, [this] {
        m_firingNames.clear();
        loadPoints();
        showSeries();
        fillFlags();
        fillChecks();
        fillCheckLog();
        updateButtons();
        nameValues();
    });
    connect(cmbPeriod, &QComboBox::currentIndexChanged, this, [this] {
        loadPoints();
        showSeries();
        fillFlags();
        nameValues();
    });
    connect(cmbHeating, &QComboBox::currentIndexChanged, this, [this] {
        showSeries(true);
        nameValues();
    });
    for (HealthPlot *plot : {m_heating, m_hold, m_vacuum})
        connect(plot, &HealthPlot::viewChanged, this, [this, plot](qint64 from, qint64 to) {
            for (HealthPlot *other : {m_heating, m_hold, m_vacuum})
                if (other != plot)
                    other->setView(from, to);
        });
    connect(btnFullView, &QPushButton::clicked, this, [this] {
        for (HealthPlot *plot : {m_heating, m_hold, m_vacuum})
            plot->fullView();
    });
    connect(btnSummary, &QPushButton::clicked, this, &HealthWindow::saveSummary);
    connect(btnPrint, &QPushButton::clicked, this, &HealthWindow::printSummary);
    connect(twFlags, &QTreeWidget::itemSelectionChanged, this, &HealthWindow::flagSelected);
    for (QDoubleSpinBox *box : {sbTolHeating, sbTolVacuum, sbTolHold, sbTolBand})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] {
            lblTolStatus->clear();
            updateButtons();
            nameValues();
        });
    connect(btnApplyTolerances, &QPushButton::clicked, this, &HealthWindow::applyTolerances);
    connect(btnDefaultTolerances, &QPushButton::clicked, this,
            [this] { fillTolerances(HealthTolerances{}); });
    connect(btnAddCheck, &QPushButton::clicked, this, &HealthWindow::addCheck);
    connect(btnEditCheck, &QPushButton::clicked, this, &HealthWindow::editCheck);
    connect(btnRemoveCheck, &QPushButton::clicked, this, &HealthWindow::removeCheck);
    connect(btnCheckDone, &QPushButton::clicked, this, &HealthWindow::checkDone);
    connect(twChecks, &QTableWidget::itemSelectionChanged, this, &HealthWindow::updateButtons);
    connect(twChecks, &QTableWidget::cellDoubleClicked, this, &HealthWindow::editCheck);

    connect(&m_logbook, &Logbook::entrySealed, m_refreshDelay, qOverload<>(&QTimer::start));
    connect(&m_logbook, &Logbook::recovered, m_refreshDelay, qOverload<>(&QTimer::start));
    connect(&m_logbook, &Logbook::stateChanged, this, [this] {
        if (!m_db.isOpen())
            reload();
    });
    // Other consoles write into a shared logbook unannounced: F5 reads it again.
    auto *refresh = new QShortcut(QKeySequence::Refresh, this);
    connect(refresh, &QShortcut::activated, this, &HealthWindow::reload);

    reLanguage();
    reload();
}

HealthWindow::~HealthWindow() = default;

void HealthWindow::build()
{
    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    auto combo = [this](const char *name, int items) {
        auto *c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        for (int i = 0; i < items; ++i)
            c->addItem(QString());
        return c;
    };

    lblFurnace = label("lblFurnace");
    cmbFurnace = combo("cmbFurnace", 0);
    cmbFurnace->setMinimumContentsLength(24);
    cmbFurnace->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lblFurnace->setBuddy(cmbFurnace);
    lblPeriod = label("lblPeriod");
    cmbPeriod = combo("cmbPeriod", int(std::size(T::PeriodItems)));
    cmbPeriod->setCurrentIndex(int(Period::HalfYear));
    lblPeriod->setBuddy(cmbPeriod);
    lblHeating = label("lblHeating");
    cmbHeating = combo("cmbHeating", int(std::size(T::HeatingItems)));
    lblHeating->setBuddy(cmbHeating);
    btnFullView = button("btnFullView");
    btnSummary = button("btnSummary");
    btnPrint = button("btnPrint");
    auto *top = new QHBoxLayout;
    top->addWidget(lblFurnace);
    top->addWidget(cmbFurnace, 1);
    top->addSpacing(10);
    top->addWidget(lblPeriod);
    top->addWidget(cmbPeriod);
    top->addSpacing(10);
    top->addWidget(lblHeating);
    top->addWidget(cmbHeating);
    top->addStretch(1);
    top->addWidget(btnFullView);
    top->addSpacing(10);
    top->addWidget(btnSummary);
    top->addWidget(btnPrint);

    lblNotice = label("lblNotice");
    lblNotice->setWordWrap(true);
    lblNotice->setStyleSheet(QStringLiteral("color: #8a5a00"));
    lblNotice->hide();

    auto *plots = new QWidget(this);
    m_heating = new HealthPlot(QStringLiteral("plotHeating"), plots);
    m_hold = new HealthPlot(QStringLiteral("plotHold"), plots);
    m_vacuum = new HealthPlot(QStringLiteral("plotVacuum"), plots);
    auto *plotColumn = new QVBoxLayout(plots);
    plotColumn->setContentsMargins(0, 0, 0, 0);
    plotColumn->setSpacing(4);
    for (HealthPlot *plot : {m_heating, m_hold, m_vacuum})
        plotColumn->addWidget(plot, 1);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabsHealth"));
    auto *flagsPage = new QWidget(m_tabs);
    twFlags = new QTreeWidget(flagsPage);
    twFlags->setObjectName(QStringLiteral("twFlags"));
    twFlags->setColumnCount(3);
    twFlags->setRootIsDecorated(false);
    twFlags->setUniformRowHeights(true);
    twFlags->setSelectionMode(QAbstractItemView::SingleSelection);
    twFlags->setTextElideMode(Qt::ElideRight);
    twFlags->header()->setStretchLastSection(true);
    lblFlagDetail = new QLabel(flagsPage);
    lblFlagDetail->setObjectName(QStringLiteral("lblFlagDetail"));
    lblFlagDetail->setWordWrap(true);
    lblFlagDetail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFlagDetail->setMinimumHeight(4 * fontMetrics().height());
    lblFlagDetail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *flagsLayout = new QVBoxLayout(flagsPage);
    flagsLayout->addWidget(twFlags, 1);
    flagsLayout->addWidget(lblFlagDetail);
    m_tabs->addTab(flagsPage, QString());
    auto *checksPage = new QWidget(m_tabs);
    buildChecks(checksPage);
    m_tabs->addTab(checksPage, QString());
    auto *tolerancesPage = new QWidget(m_tabs);
    buildTolerances(tolerancesPage);
    m_tabs->addTab(tolerancesPage, QString());

    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->setObjectName(QStringLiteral("spHealth"));
    m_split->addWidget(plots);
    m_split->addWidget(m_tabs);
    m_split->setStretchFactor(0, 3);
    m_split->setStretchFactor(1, 2);
    m_split->setChildrenCollapsible(false);

    auto *content = new QWidget(this);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addLayout(top);
    contentLayout->addWidget(lblNotice);
    contentLayout->addWidget(m_split, 1);
    lblProblem = label("lblProblem");
    lblProblem->setWordWrap(true);
    lblProblem->setAlignment(Qt::AlignCenter);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(content);
    m_pages->addWidget(lblProblem);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    resize(1280, 700);
    m_split->setSizes({740, 540});
}

void HealthWindow::buildTolerances(QWidget *page)
{
    auto spin = [page](const char *name, double max, double step, int decimals) {
        auto *s = new QDoubleSpinBox(page);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(0, max);
        s->setSingleStep(step);
        s->setDecimals(decimals);
        return s;
    };
    sbTolHeating = spin("sbTolHeating", 100, 1, 0);
    sbTolVacuum = spin("sbTolVacuum", 1000, 5, 0);
    sbTolHold = spin("sbTolHold", 100, 0.5, 1);
    sbTolBand = spin("sbTolBand", 100, 1, 0);
    fillTolerances(m_savedTolerances);
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const std::pair<QLabel **, QDoubleSpinBox *> rows[] = {
        {&lblTolHeating, sbTolHeating},
        {&lblTolVacuum, sbTolVacuum},
        {&lblTolHold, sbTolHold},
        {&lblTolBand, sbTolBand},
    };
    const char *names[] = {"lblTolHeating", "lblTolVacuum", "lblTolHold", "lblTolBand"};
    for (int i = 0; i < 4; ++i) {
        auto *l = new QLabel(page);
        l->setObjectName(QString::fromLatin1(names[i]));
        l->setBuddy(rows[i].second);
        *rows[i].first = l;
        form->addRow(l, rows[i].second);
    }
    btnApplyTolerances = new QPushButton(page);
    btnApplyTolerances->setObjectName(QStringLiteral("btnApplyTolerances"));
    btnDefaultTolerances = new QPushButton(page);
    btnDefaultTolerances->setObjectName(QStringLiteral("btnDefaultTolerances"));
    lblTolStatus = new QLabel(page);
    lblTolStatus->setObjectName(QStringLiteral("lblTolStatus"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnApplyTolerances);
    buttons->addWidget(btnDefaultTolerances);
    buttons->addWidget(lblTolStatus, 1);
    lblTolNote = new QLabel(page);
    lblTolNote->setObjectName(QStringLiteral("lblTolNote"));
    lblTolNote->setWordWrap(true);
    lblTolNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addSpacing(8);
    layout->addWidget(lblTolNote);
    layout->addStretch(1);
}

void HealthWindow::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    reLanguage();
}

void HealthWindow::reLanguage()
{
    setWindowTitle(tx(T::Title));
    lblFurnace->setText(tx(T::Furnace));
    lblPeriod->setText(tx(T::Period));
    lblHeating->setText(tx(T::Heating));
    for (int i = 0; i < int(std::size(T::PeriodItems)); ++i)
        cmbPeriod->setItemText(i, tx(T::PeriodItems[i]));
    for (int i = 0; i < int(std::size(T::HeatingItems)); ++i)
        cmbHeating->setItemText(i, tx(T::HeatingItems[i]));
    const QString host = QSysInfo::machineHostName();
    for (int i = 0; i < cmbFurnace->count(); ++i)
        cmbFurnace->setItemText(i,
                                FurnaceLabel(cmbFurnace->itemData(i).toString(), m_language, host));
    btnFullView->setText(tx(T::FullView));
    btnFullView->setToolTip(tx(T::FullViewHint));
    btnSummary->setText(tx(T::Summary));
    btnPrint->setText(tx(T::Print));
    m_tabs->setTabText(2, tx(T::TolerancesTab));
    m_tabs->setAccessibleName(tx(T::TabsName));
    twFlags->setHeaderLabels({tx(T::When), tx(T::Finding), tx(T::FiringColumn)});
    twFlags->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00")) +
                                   16);
    lblTolHeating->setText(tx(T::TolHeating));
    lblTolVacuum->setText(tx(T::TolVacuum));
    lblTolHold->setText(tx(T::TolHold));
    lblTolBand->setText(tx(T::TolBand));
    for (QDoubleSpinBox *box : {sbTolHeating, sbTolVacuum, sbTolBand})
        box->setSuffix(QStringLiteral(" %"));
    sbTolHold->setSuffix(QStringLiteral(" ") + tx(T::DegreeUnit));
    btnApplyTolerances->setText(tx(T::Apply));
    btnDefaultTolerances->setText(tx(T::Defaults));
    lblTolNote->setText(tx(T::TolNote));
    lblTolStatus->clear();
    showNotice();
    reLanguageChecks();
    for (HealthPlot *plot : {m_heating, m_hold, m_vacuum})
        plot->setLanguage(m_language);
    if (!m_problem.isEmpty()) {
        m_problem.clear();
        reload();
        return;
    }
    showSeries(true);
    fillFlags();
    fillChecks();
    fillCheckLog();
    nameValues();
}

void HealthWindow::nameValues()
{
    const std::pair<QWidget *, TextPair> named[] = {
        {cmbFurnace, T::Furnace},
        {cmbPeriod, T::Period},
        {cmbHeating, T::Heating},
        {sbTolHeating, T::TolHeating},
        {sbTolVacuum, T::TolVacuum},
        {sbTolHold, T::TolHold},
        {sbTolBand, T::TolBand},
        {lblFlagDetail, T::FlagDetailName},
        {lblProblem, HistoryTexts::ProblemName},
        {lblNotice, HistoryTexts::ProblemName},
    };
    for (const auto &[widget, context] : named) {
        QString shown = ShownText(widget);
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            shown = combo->currentText();
        else if (auto *spin = qobject_cast<QDoubleSpinBox *>(widget))
            shown = spin->text();
        SetValueName(widget, AccessibleValueName(tx(context), shown));
    }
    SetValueName(twFlags, AccessibleValueName(tx(T::FlagsName), QString::number(m_flags.size())));
    SetValueName(twChecks,
                 AccessibleValueName(tx(T::ChecksName), QString::number(m_checks.size())));
    SetValueName(twCheckLog, AccessibleValueName(tx(T::CheckLog),
                                                 QString::number(twCheckLog->topLevelItemCount())));
    SetValueName(lblTolStatus, ShownText(lblTolStatus).isEmpty() ? tx(T::TolerancesTab)
                                                                 : ShownText(lblTolStatus));
    SetValueName(lblTolNote, ShownText(lblTolNote));
    SetValueName(lblCheckLog, ShownText(lblCheckLog));
}

bool HealthWindow::openDatabase()
{
    if (m_db.isOpen())
        return true;
    namespace H = HistoryTexts;
    const QString file = m_logbook.file();
    if (m_logbook.state() == Logbook::State::Off || file.isEmpty()) {
        showProblem(tx(H::LogbookOff));
        return false;
    }
    if (!QFileInfo::exists(file)) {
        // A logbook being made for the first time is there once the writer has opened it.
        showProblem(m_logbook.state() == Logbook::State::Failed
                        ? tx(H::LogbookFailed).arg(m_logbook.problem())
                        : tx(H::LogbookOpening));
        return false;
    }
    m_readOnlyReason.clear();
    m_writable = m_db.open(file, LogbookDb::Access::ReadWrite);
    if (!m_writable) {
        // A shared logbook this user may only read: shown all the same, without the writes.
        m_readOnlyReason = m_db.error();
        if (!m_db.open(file, LogbookDb::Access::ReadOnly)) {
            showProblem(tx(H::LogbookUnreadable).arg(file, H::Reason(m_db.error(), m_language)));
            return false;
        }
    }
    m_problem.clear();
    m_pages->setCurrentIndex(0);
    return true;
}

void HealthWindow::showProblem(const QString &problem)
{
    m_problem = problem;
    lblProblem->setText(problem);
    m_pages->setCurrentWidget(lblProblem);
    nameValues();
}

void HealthWindow::reload()
{
    m_refreshDelay->stop();
    if (!openDatabase())
        return;
    if (lblNotice->isVisible() && !m_writable)
        lblNotice->setText(tx(T::ReadOnly).arg(HistoryTexts::Reason(m_readOnlyReason, m_language)));
    fillFurnaces();
    loadPoints();
    showSeries(true);
    fillFlags();
    const HealthTolerances stored = m_db.tolerances();
    // Tolerances typed and not applied yet stay as typed.
    if (shownTolerances() == m_savedTolerances || stored == shownTolerances())
        fillTolerances(stored);
    m_savedTolerances = stored;
    fillChecks();
    fillCheckLog();
    updateButtons();
    nameValues();
}

void HealthWindow::showNotice()
{
    QStringList notes;
    if (m_db.isOpen() && !m_writable)
        notes << tx(T::ReadOnly).arg(HistoryTexts::Reason(m_readOnlyReason, m_language));
    if (m_db.isOpen() && cmbFurnace->count() == 0)
        notes << tx(T::NoFurnace);
    lblNotice->setText(notes.join(QLatin1Char('\n')));
    lblNotice->setVisible(!notes.isEmpty());
}

void HealthWindow::fillFurnaces()
{
    QStringList keys = m_db.healthFurnaces();
    for (const CheckSetting &c : m_db.checks())
        keys << c.furnaceKey;
    keys.sort();
    keys.removeDuplicates();
    keys.removeAll(QString());
    // The window's own furnace first, whether or not it has fired yet.
    if (!m_hooks.thisFurnace.isEmpty()) {
        keys.removeAll(m_hooks.thisFurnace);
        keys.prepend(m_hooks.thisFurnace);
    }
    QString current = furnace();
    if (current.isEmpty())
        current = m_hooks.thisFurnace;
    QStringList shown;
    for (int i = 0; i < cmbFurnace->count(); ++i)
        shown << cmbFurnace->itemData(i).toString();
    if (shown == keys)
        return;
    const QSignalBlocker block(cmbFurnace);
    cmbFurnace->clear();
    const QString host = QSysInfo::machineHostName();
    for (const QString &key : std::as_const(keys))
        cmbFurnace->addItem(FurnaceLabel(key, m_language, host), key);
    cmbFurnace->setCurrentIndex(std::max(0, int(keys.indexOf(current))));
}

QString HealthWindow::furnace() const
{
    return cmbFurnace->currentData().toString();
}

bool HealthWindow::selectFurnace(const QString &key)
{
    const int index = cmbFurnace->findData(key);
    if (index < 0)
        return false;
    cmbFurnace->setCurrentIndex(index);
    return true;
}

void HealthWindow::setPeriod(Period period)
{
    cmbPeriod->setCurrentIndex(int(period));
}

void HealthWindow::showRampRate(bool ramp)
{
    cmbHeating->setCurrentIndex(ramp ? 1 : 0);
}

qint64 HealthWindow::periodFromMs() const
{
    const QDateTime now = QDateTime::currentDateTime();
    switch (Period(cmbPeriod->currentIndex())) {
    case Period::Month:
        return now.addMonths(-1).toMSecsSinceEpoch();
    case Period::HalfYear:
        return now.addMonths(-6).toMSecsSinceEpoch();
    case Period::Year:
        return now.addYears(-1).toMSecsSinceEpoch();
    case Period::All:
        break;
    }
    return AllTime;
}

void HealthWindow::loadPoints()
{
    // All of a busy furnace's years take a second to read.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    m_points.clear();
    const QString key = furnace();
    const qint64 from = periodFromMs();
    m_shownFrom = from;
    if (!key.isEmpty() && m_db.isOpen()) {
        const QList<HealthPoint> period =
            m_db.healthPoints(key, from, std::numeric_limits<qint64>::max());
        // The baselines at the period's start are made of firings before it.
        QList<HealthPoint> leadIn;
        if (from != AllTime && !period.isEmpty()) {
            leadIn << m_db.healthHistory(key, QString(), from);
            for (const QString &program : ProgramsOf(period))
                leadIn << m_db.healthHistory(key, program, from);
        }
        m_points = WithLeadIn(leadIn, period);
    }
    m_periodTo = QDateTime::currentMSecsSinceEpoch();
    if (!m_points.isEmpty())
        m_periodTo = std::max(m_periodTo, m_points.constLast().startedMs);
    const QList<HealthSeries> series =
        HealthSeriesOf(m_points,
                       {HealthSeriesFigure::BandRate, HealthSeriesFigure::HeatingRate,
                        HealthSeriesFigure::HoldDeviation, HealthSeriesFigure::VacuumTime},
                       from);
    m_bandSeries = series[0];
    m_rampSeries = series[1];
    m_holdSeries = series[2];
    m_vacuumSeries = series[3];
}

HealthPlotData HealthWindow::plotData(const HealthSeries &series) const
{
    HealthPlotData d;
    d.timesMs = series.timesMs;
    d.values = series.values;
    d.median = series.median;
    d.low = series.low;
    d.high = series.high;
    d.flagged = series.flagged;
    switch (series.figure) {
    case HealthSeriesFigure::BandRate:
        d.title = tx(T::BandRateTitle);
        d.unit = tx(T::RateUnit);
        break;
    case HealthSeriesFigure::HeatingRate:
        d.title = tx(T::RampRateTitle);
        d.unit = tx(T::RateUnit);
        break;
    case HealthSeriesFigure::HoldDeviation:
        d.title = tx(T::HoldTitle);
        d.unit = tx(T::DegreeUnit);
        break;
    case HealthSeriesFigure::VacuumTime:
        d.title = tx(T::VacuumTitle).arg(VacuumTarget);
        d.unit = tx(T::SecondUnit);
        d.decimals = 0;
        break;
    case HealthSeriesFigure::ReachTime:
    case HealthSeriesFigure::CoolingTime:
        d.unit = tx(T::SecondUnit);
        d.decimals = 0;
        break;
    }
    // The whole period; "all time" from the first firing shown.
    d.fromMs = m_shownFrom != AllTime ? m_shownFrom
               : !m_points.isEmpty()  ? m_points.constFirst().startedMs
                                      : m_periodTo;
    d.toMs = m_periodTo;
    return d;
}

void HealthWindow::showSeries(bool keepView)
{
    // A plot showing everything shows everything again (the period reaches to now).
    keepView = keepView && (m_heating->viewFromMs() != m_heating->fullFromMs() ||
                            m_heating->viewToMs() != m_heating->fullToMs());
    const qint64 from = m_heating->viewFromMs();
    const qint64 to = m_heating->viewToMs();
    m_heating->setData(plotData(cmbHeating->currentIndex() == 1 ? m_rampSeries : m_bandSeries));
    m_hold->setData(plotData(m_holdSeries));
    m_vacuum->setData(plotData(m_vacuumSeries));
    if (keepView)
        for (HealthPlot *plot : {m_heating, m_hold, m_vacuum})
            plot->setView(from, to);
}

void HealthWindow::fillTolerances(const HealthTolerances &t)
{
    sbTolHeating->setValue(t.heatingRatePercent);
    sbTolVacuum->setValue(t.vacuumTimePercent);
    sbTolHold->setValue(t.holdDeviation);
    sbTolBand->setValue(t.bandRatePercent);
}

HealthTolerances HealthWindow::shownTolerances() const
{
    return {sbTolHeating->value(), sbTolVacuum->value(), sbTolHold->value(), sbTolBand->value()};
}

bool HealthWindow::applyTolerances()
{
    const HealthTolerances t = shownTolerances();
    if (!m_writable || !m_db.setTolerances(t)) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(T::Title),
                          tx(T::WriteFailed).arg(m_writable ? m_db.error() : m_readOnlyReason));
        return false;
    }
    m_savedTolerances = t;
    lblTolStatus->setText(tx(T::TolSaved));
    fillFlags();
    updateButtons();
    nameValues();
    return true;
}

void HealthWindow::updateButtons()
{
    const bool open = m_db.isOpen() && m_problem.isEmpty();
    const bool furnaceShown = open && !furnace().isEmpty();
    const HealthTolerances shown = shownTolerances();
    btnApplyTolerances->setEnabled(open && m_writable && !(shown == m_savedTolerances));
    btnDefaultTolerances->setEnabled(open && m_writable && !(shown == HealthTolerances{}));
    for (QDoubleSpinBox *box : {sbTolHeating, sbTolVacuum, sbTolHold, sbTolBand})
        box->setEnabled(open && m_writable);
    btnSummary->setEnabled(furnaceShown);
    btnPrint->setEnabled(furnaceShown);
    updateCheckButtons();
}
