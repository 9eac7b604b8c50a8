// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/historywindow.h"

#include "app/accessiblevalues.h"
#include "app/comparewindow.h"
#include "app/entryview.h"
#include "app/historytexts.h"
#include "app/recordformat.h"
#include "app/recordimport.h"
#include "common/dialogs.h"
#include "logbook/furnacehealth.h"
#include "logbook/historymodel.h"
#include "service/servicewidgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QSysInfo>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <utility>

namespace T = HistoryTexts;

namespace
{

/// Typing pauses this long before the filter is applied, ms.
constexpr int FilterDelayMs = 150;
/// Writes that come together (an import of many files) are read once, ms.
constexpr int RefreshDelayMs = 200;
constexpr int MinCompared = 2;
constexpr int MaxCompared = 8;
/// A firing record of a day's firing is a few megabytes: a bigger file is no record.
constexpr qint64 MaxImportBytes = 64 * 1024 * 1024;

bool sameFilter(const HistoryFilter &a, const HistoryFilter &b)
{
    return a.text == b.text && a.from == b.from && a.to == b.to && a.outcome == b.outcome &&
           a.imported == b.imported && a.port == b.port && a.furnace == b.furnace;
}

} // namespace

/// A check of the chain on its own thread with its own connection: what the window and the
/// thread share. The thread writes `report` before it ends; the window reads it after.
struct HistoryWindow::CheckJob {
    QString file;
    std::atomic<bool> stop{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    VerifyReport report;
};

HistoryWindow::HistoryWindow(Logbook &logbook, Dialogs &dialogs, HistoryHooks hooks,
                             quint8 language, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_logbook(logbook)
    , m_dialogs(dialogs)
    , m_hooks(std::move(hooks))
    , m_language(language)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    m_filterDelay = new QTimer(this);
    m_refreshDelay = new QTimer(this);
    m_checkPoll = new QTimer(this);
    build();
    reLanguage();

    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(FilterDelayMs);
    connect(m_filterDelay, &QTimer::timeout, this, &HistoryWindow::applyFilter);
    m_refreshDelay->setSingleShot(true);
    m_refreshDelay->setInterval(RefreshDelayMs);
    connect(m_refreshDelay, &QTimer::timeout, this, &HistoryWindow::logbookWritten);
    m_checkPoll->setInterval(100);

    connect(m_checkPoll, &QTimer::timeout, this, [this] {
        if (!m_check)
            return;
        const qint64 total = m_check->total;
        pbCheck->setRange(0, total > 0 ? 1000 : 0);
        if (total > 0)
            pbCheck->setValue(int(m_check->done * 1000 / total));
        nameValues();
    });

    connect(edHistoryFilter, &QLineEdit::textChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(cbDates, &QCheckBox::toggled, this, [this](bool on) {
        deFrom->setEnabled(on);
        deTo->setEnabled(on);
        applyFilter();
    });
    // The period never ends before it begins.
    connect(deFrom, &QDateEdit::dateChanged, deTo, &QDateEdit::setMinimumDate);
    connect(deFrom, &QDateEdit::dateChanged, this, &HistoryWindow::applyFilter);
    connect(deTo, &QDateEdit::dateChanged, this, &HistoryWindow::applyFilter);
    connect(cmbOutcome, &QComboBox::currentIndexChanged, this, &HistoryWindow::applyFilter);
    connect(cmbFurnace, &QComboBox::currentIndexChanged, this, &HistoryWindow::applyFilter);
    connect(btnOpen, &QPushButton::clicked, this, [this] {
        // The current row when it is selected, else the first selected one: never every id of
        // a selection that may hold the whole logbook.
        const QItemSelectionModel *selection = tvHistory->selectionModel();
        int row =
            selection->isSelected(selection->currentIndex()) ? selection->currentIndex().row() : -1;
        if (row < 0)
            for (const QItemSelectionRange &range : selection->selection())
                row = row < 0 ? range.top() : std::min(row, range.top());
        if (const EntrySummary *e = m_model ? m_model->entry(row) : nullptr)
            openEntry(e->id);
    });
    connect(tvHistory, &QTableView::activated, this, [this](const QModelIndex &index) {
        if (const EntrySummary *e = m_model ? m_model->entry(index.row()) : nullptr)
            openEntry(e->id);
    });
    connect(btnCompare, &QPushButton::clicked, this, [this] { compareEntries(selectedIds()); });
    connect(btnImport, &QPushButton::clicked, this, &HistoryWindow::importFiles);
    connect(btnCheck, &QPushButton::clicked, this, &HistoryWindow::checkLogbook);
    connect(btnStopCheck, &QPushButton::clicked, this, &HistoryWindow::stopCheck);

    connect(&m_logbook, &Logbook::entrySealed, m_refreshDelay, qOverload<>(&QTimer::start));
    connect(&m_logbook, &Logbook::amended, m_refreshDelay, qOverload<>(&QTimer::start));
    connect(&m_logbook, &Logbook::imported, this, [this](const QString &uid) {
        m_refreshDelay->start();
        importAnswered(uid, {});
    });
    connect(&m_logbook, &Logbook::entryFailed, this, &HistoryWindow::importAnswered);
    connect(&m_logbook, &Logbook::recovered, m_refreshDelay, qOverload<>(&QTimer::start));
    // Other consoles write into a shared logbook unannounced: F5 reads it again.
    auto *refresh = new QShortcut(QKeySequence::Refresh, this);
    connect(refresh, &QShortcut::activated, this, &HistoryWindow::logbookWritten);
    connect(&m_logbook, &Logbook::stateChanged, this, [this] {
        openDatabase();
        updateButtons();
    });

    openDatabase();
    updateButtons();
}

HistoryWindow::~HistoryWindow()
{
    if (m_checkThread) {
        m_check->stop = true;
        m_checkThread->disconnect(this);
        m_checkThread->wait();
        delete m_checkThread;
    }
    // The views read through this window's connection: they go first.
    const QHash<qint64, QPointer<EntryView>> views = std::exchange(m_entryViews, {});
    for (const QPointer<EntryView> &view : views)
        delete view.data();
}

void HistoryWindow::build()
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

    lblSearch = label("lblSearch");
    edHistoryFilter = new QLineEdit(this);
    edHistoryFilter->setObjectName(QStringLiteral("edHistoryFilter"));
    edHistoryFilter->setClearButtonEnabled(true);
    edHistoryFilter->setMinimumWidth(200);
    lblSearch->setBuddy(edHistoryFilter);
    cbDates = new QCheckBox(this);
    cbDates->setObjectName(QStringLiteral("cbDates"));
    auto dateEdit = [this](const char *name, const QDate &date) {
        auto *d = new QDateEdit(date, this);
        d->setObjectName(QString::fromLatin1(name));
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        d->setEnabled(false);
        d->setMinimumWidth(d->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 40);
        return d;
    };
    const QDate today = QDate::currentDate();
    deFrom = dateEdit("deFrom", today.addMonths(-1));
    lblDateTo = label("lblDateTo");
    deTo = dateEdit("deTo", today);
    deTo->setMinimumDate(deFrom->date());
    lblOutcome = label("lblOutcome");
    cmbOutcome = new QComboBox(this);
    cmbOutcome->setObjectName(QStringLiteral("cmbOutcome"));
    for (qsizetype i = 0; i < qsizetype(std::size(T::OutcomeItems)); ++i)
        cmbOutcome->addItem(QString());
    lblOutcome->setBuddy(cmbOutcome);
    lblFurnace = label("lblFurnace");
    cmbFurnace = new QComboBox(this);
    cmbFurnace->setObjectName(QStringLiteral("cmbFurnace"));
    cmbFurnace->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cmbFurnace->addItem(QString());
    lblFurnace->setBuddy(cmbFurnace);
    lblCount = label("lblCount");
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *filters = new QHBoxLayout;
    filters->addWidget(lblSearch);
    filters->addWidget(edHistoryFilter, 2);
    filters->addSpacing(8);
    filters->addWidget(cbDates);
    filters->addWidget(deFrom);
    filters->addWidget(lblDateTo);
    filters->addWidget(deTo);
    filters->addSpacing(8);
    filters->addWidget(lblOutcome);
    filters->addWidget(cmbOutcome);
    filters->addSpacing(8);
    filters->addWidget(lblFurnace);
    filters->addWidget(cmbFurnace);
    filters->addStretch(1);
    filters->addWidget(lblCount);

    tvHistory = new QTableView(this);
    tvHistory->setObjectName(QStringLiteral("tvHistory"));
    tvHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvHistory->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvHistory->setWordWrap(false);
    tvHistory->setAlternatingRowColors(true);
    tvHistory->verticalHeader()->hide();
    tvHistory->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvHistory->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    tvHistory->horizontalHeader()->setStretchLastSection(true);
    tvHistory->horizontalHeader()->setSortIndicator(int(HistoryColumn::Started),
                                                    Qt::DescendingOrder);
    tvHistory->horizontalHeader()->setSortIndicatorShown(true);
    lblProblem = label("lblProblem");
    lblProblem->setWordWrap(true);
    lblProblem->setAlignment(Qt::AlignCenter);
    lblProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProblem->setMargin(24);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(tvHistory);
    m_pages->addWidget(lblProblem);

    btnOpen = button("btnOpen");
    btnCompare = button("btnCompare");
    btnImport = button("btnImport");
    btnCheck = button("btnCheck");
    pbCheck = new QProgressBar(this);
    pbCheck->setObjectName(QStringLiteral("pbCheck"));
    pbCheck->setMaximumWidth(200);
    pbCheck->hide();
    btnStopCheck = button("btnStopCheck");
    btnStopCheck->hide();
    auto *commands = new QHBoxLayout;
    commands->addWidget(btnOpen);
    commands->addWidget(btnCompare);
    commands->addWidget(btnImport);
    commands->addStretch(1);
    commands->addWidget(pbCheck);
    commands->addWidget(btnStopCheck);
    commands->addWidget(btnCheck);

    lblVerdict = label("lblVerdict");
    lblVerdict->setWordWrap(true);
    lblVerdict->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_pages, 1);
    layout->addLayout(commands);
    layout->addWidget(lblVerdict);
    resize(1220, 640);
}

void HistoryWindow::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    reLanguage();
    if (m_model)
        m_model->setLanguage(language);
    for (const QPointer<EntryView> &view : std::as_const(m_entryViews))
        if (view)
            view->setLanguage(language);
    for (CompareWindow *compare : findChildren<CompareWindow *>(Qt::FindDirectChildrenOnly))
        compare->setLanguage(language);
}

void HistoryWindow::reLanguage()
{
    setWindowTitle(tx(T::Title));
    lblSearch->setText(tx(T::Search));
    edHistoryFilter->setPlaceholderText(tx(T::SearchHint));
    edHistoryFilter->setAccessibleName(tx(T::SearchName));
    cbDates->setText(tx(T::Dates));
    cbDates->setAccessibleName(tx(T::DatesName));
    lblDateTo->setText(tx(T::DateTo));
    lblOutcome->setText(tx(T::Outcome));
    for (int i = 0; i < cmbOutcome->count(); ++i)
        cmbOutcome->setItemText(i, tx(T::OutcomeItems[i]));
    lblFurnace->setText(tx(T::Furnace));
    cmbFurnace->setItemText(0, tx(T::AllFurnaces));
    const QString here = QSysInfo::machineHostName();
    for (int i = 1; i < cmbFurnace->count(); ++i)
        cmbFurnace->setItemText(i,
                                FurnaceLabel(cmbFurnace->itemData(i).toString(), m_language, here));
    btnOpen->setText(tx(T::Open));
    btnCompare->setText(tx(T::Compare));
    btnCompare->setToolTip(tx(T::CompareHint));
    btnImport->setText(tx(T::Import));
    btnImport->setToolTip(tx(T::ImportHint));
    btnCheck->setText(tx(T::Check));
    btnStopCheck->setText(tx(T::StopCheck));
    btnStopCheck->setAccessibleName(tx(T::StopCheckName));
    tvHistory->setAccessibleName(tx(T::TableName));
    // The reason there is no table, in the new language.
    if (!m_problem.isEmpty() && !m_db.isOpen())
        openDatabase();
    updateCount();
    showVerdict();
}

void HistoryWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        tvHistory->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void HistoryWindow::closeEvent(QCloseEvent *event)
{
    for (QWidget *window : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (window->isWindow())
            window->close();
    QWidget::closeEvent(event);
}

void HistoryWindow::nameValues()
{
    const std::pair<QWidget *, TextPair> named[] = {
        {deFrom, T::FromName},        {deTo, T::ToName},          {cmbOutcome, T::OutcomeName},
        {cmbFurnace, T::FurnaceName}, {lblCount, T::TableName},   {lblVerdict, T::VerdictName},
        {lblProblem, T::ProblemName}, {pbCheck, T::ProgressName},
    };
    for (const auto &[widget, context] : named) {
        QString shown = ShownText(widget);
        if (auto *date = qobject_cast<QDateEdit *>(widget))
            shown = date->isEnabled() ? date->text() : QString();
        else if (auto *combo = qobject_cast<QComboBox *>(widget))
            shown = combo->currentText();
        else if (widget == pbCheck)
            shown = QStringLiteral("%1 %").arg(pbCheck->value() < 0 ? 0 : pbCheck->value() / 10);
        SetValueName(widget, AccessibleValueName(tx(context), shown));
    }
}

void HistoryWindow::openDatabase()
{
    const QString file = m_logbook.file();
    if (!m_db.isOpen()) {
        if (m_logbook.state() == Logbook::State::Off || file.isEmpty()) {
            showProblem(tx(T::LogbookOff));
            return;
        }
        if (!m_db.open(file, LogbookDb::Access::ReadOnly)) {
            // A logbook being made for the first time is there once the writer has opened it.
            if (m_logbook.state() == Logbook::State::Opening && !QFileInfo::exists(file))
                showProblem(tx(T::LogbookOpening));
            else if (m_logbook.state() == Logbook::State::Failed)
                showProblem(tx(T::LogbookFailed).arg(m_logbook.problem()));
            else
                showProblem(
                    tx(T::LogbookUnreadable).arg(file, T::Reason(m_db.error(), m_language)));
            return;
        }
    }
    m_problem.clear();
    m_pages->setCurrentWidget(tvHistory);
    if (!m_model) {
        m_model = new HistoryModel(m_db, this);
        m_model->setLanguage(m_language);
        tvHistory->setModel(m_model);
        const QFontMetrics fm = fontMetrics();
        const std::pair<HistoryColumn, const char *> widths[] = {
            {HistoryColumn::Started, "00.00.0000 00:00"},
            {HistoryColumn::Furnace, "ZKV4.6 v:1.05, /dev/ttyUSB0"},
            {HistoryColumn::Mass, "Dentine A2 Dentine"},
            {HistoryColumn::Layer, "Glaze/Stain 1 Gl"},
            {HistoryColumn::Duration, "Длительность"},
            {HistoryColumn::Outcome, "Неисправность: Overheat"},
            {HistoryColumn::Case, "Case 2026/1234"},
        };
        for (const auto &[column, sample] : widths)
            tvHistory->setColumnWidth(int(column),
                                      fm.horizontalAdvance(QString::fromUtf8(sample)) + 24);
        tvHistory->setSortingEnabled(true);
        connect(tvHistory->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &HistoryWindow::updateButtons);
        connect(m_model, &HistoryModel::modelReset, this, &HistoryWindow::updateButtons);
        connect(m_model, &HistoryModel::totalChanged, this, &HistoryWindow::updateCount);
        connect(m_model, &HistoryModel::readProblem, this, &HistoryWindow::updateCount);
        fillFurnaces();
        applyFilter();
        // The window opens with the verdict the command line would give.
        checkLogbook();
    }
    updateCount();
    updateButtons();
}

void HistoryWindow::fillFurnaces()
{
    const QStringList furnaces = m_db.furnaces();
    QStringList listed;
    for (int i = 1; i < cmbFurnace->count(); ++i)
        listed << cmbFurnace->itemData(i).toString();
    if (furnaces == listed)
        return;
    const QString chosen = cmbFurnace->currentData().toString();
    const QSignalBlocker quiet(cmbFurnace);
    while (cmbFurnace->count() > 1)
        cmbFurnace->removeItem(1);
    const QString here = QSysInfo::machineHostName();
    for (const QString &key : furnaces)
        cmbFurnace->addItem(FurnaceLabel(key, m_language, here), key);
    cmbFurnace->setCurrentIndex(std::max(0, cmbFurnace->findData(chosen)));
}

void HistoryWindow::showProblem(const QString &problem)
{
    m_problem = problem;
    lblProblem->setText(problem);
    m_pages->setCurrentWidget(lblProblem);
    updateCount();
    updateButtons();
}

void HistoryWindow::applyFilter()
{
    m_filterDelay->stop();
    if (!m_model)
        return;
    HistoryFilter filter;
    filter.text = edHistoryFilter->text().trimmed();
    if (cbDates->isChecked()) {
        filter.from = deFrom->date();
        filter.to = deTo->date();
    }
    switch (cmbOutcome->currentIndex()) {
    case 1:
        filter.outcome = RunOutcome::Finished;
        break;
    case 2:
        filter.outcome = RunOutcome::Aborted;
        break;
    case 3:
        filter.outcome = RunOutcome::Fault;
        break;
    case 4:
        filter.outcome = RunOutcome::Interrupted;
        break;
    case 5:
        filter.imported = true;
        break;
    default:
        break;
    }
    filter.furnace = cmbFurnace->currentData().toString();
    if (!sameFilter(filter, m_model->filter()))
        m_model->setFilter(filter);
    updateCount();
    nameValues();
}

void HistoryWindow::updateCount()
{
    if (!m_model || !m_problem.isEmpty()) {
        lblCount->clear();
    } else if (!m_model->error().isEmpty()) {
        lblCount->setText(tx(T::ReadFailed).arg(m_model->error()));
        lblCount->setStyleSheet(QStringLiteral("color: #b00000"));
    } else {
        lblCount->setText(T::EntryCount(m_model->totalCount(), m_language));
        lblCount->setStyleSheet(QString());
    }
    nameValues();
}

void HistoryWindow::updateButtons()
{
    const bool table = m_model && m_problem.isEmpty();
    qsizetype selected = 0;
    if (table && tvHistory->selectionModel())
        for (const QItemSelectionRange &range : tvHistory->selectionModel()->selection())
            selected += range.left() == 0 ? range.height() : 0;
    btnOpen->setEnabled(table && selected > 0);
    btnCompare->setEnabled(table && selected >= MinCompared && selected <= MaxCompared);
    btnImport->setEnabled(m_logbook.state() != Logbook::State::Off && !m_import);
    btnCheck->setEnabled(table && !m_check);
    for (QWidget *w :
         std::initializer_list<QWidget *>{edHistoryFilter, cbDates, cmbOutcome, cmbFurnace})
        w->setEnabled(table);
    deFrom->setEnabled(table && cbDates->isChecked());
    deTo->setEnabled(table && cbDates->isChecked());
}

QList<qint64> HistoryWindow::selectedIds() const
{
    QList<qint64> ids;
    if (!m_model || !tvHistory->selectionModel())
        return ids;
    QModelIndexList rows = tvHistory->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &row : std::as_const(rows))
        if (const EntrySummary *e = m_model->entry(row.row()))
            ids << e->id;
    return ids;
}

void HistoryWindow::logbookWritten()
{
    if (!m_model) {
        openDatabase();
        return;
    }
    // The selection and the current entry stay on the same entries when rows move.
    QItemSelectionModel *selection = tvHistory->selectionModel();
    QList<std::pair<qint64, int>> selected;
    for (const QModelIndex &row : selection->selectedRows())
        if (const EntrySummary *e = m_model->entry(row.row()))
            selected.append({e->id, row.row()});
    const QModelIndex current = selection->currentIndex();
    const EntrySummary *currentEntry = current.isValid() ? m_model->entry(current.row()) : nullptr;
    const std::pair<qint64, int> was{currentEntry ? currentEntry->id : 0, current.row()};
    const qint64 before = m_model->totalCount();
    fillFurnaces();
    m_model->refresh();
    if (m_model->totalCount() != before) {
        QItemSelection again;
        for (const auto &[id, row] : selected) {
            const int now = m_model->rowOf(id, row);
            if (now >= 0)
                again.select(m_model->index(now, 0), m_model->index(now, HistoryColumnCount - 1));
        }
        selection->select(again, QItemSelectionModel::ClearAndSelect);
        if (was.first != 0) {
            const int now = m_model->rowOf(was.first, was.second);
            if (now >= 0)
                selection->setCurrentIndex(m_model->index(now, current.column()),
                                           QItemSelectionModel::NoUpdate);
        }
    }
    updateCount();
    updateButtons();
}

EntryView *HistoryWindow::openEntry(qint64 id)
{
    if (EntryView *open = m_entryViews.value(id)) {
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }
    std::optional<StoredEntry> entry = m_db.load(id);
    if (!entry) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(T::Title),
                          tx(T::OpenFailed).arg(m_db.error()));
        return nullptr;
    }
    auto *view = new EntryView(m_logbook, m_db, std::move(*entry), m_hooks, m_language, this);
    m_entryViews.insert(id, view);
    connect(view, &QObject::destroyed, this, [this, id] { m_entryViews.remove(id); });
    view->show();
    return view;
}

CompareWindow *HistoryWindow::compareEntries(const QList<qint64> &ids)
{
    if (ids.size() < MinCompared || ids.size() > MaxCompared)
        return nullptr;
    QList<StoredEntry> entries;
    for (qint64 id : ids) {
        std::optional<StoredEntry> entry = m_db.load(id);
        if (!entry) {
            m_dialogs.message(this, Dialogs::Icon::Error, tx(T::Title),
                              tx(T::OpenFailed).arg(m_db.error()));
            return nullptr;
        }
        entries.append(std::move(*entry));
    }
    auto *window = new CompareWindow(entries, m_language, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void HistoryWindow::checkLogbook()
{
    if (m_check || !m_db.isOpen())
        return;
    auto job = std::make_shared<CheckJob>();
    job->file = m_logbook.file();
    m_check = job;
    // Qt SQL connections belong to the thread that made them: the check makes its own.
    m_checkThread = QThread::create([job] {
        LogbookDb db;
        if (!db.open(job->file, LogbookDb::Access::ReadOnly)) {
            job->report.readable = false;
            job->report.error = db.error();
            return;
        }
        job->report = db.verify([&job](qint64 done, qint64 total) {
            job->done = done;
            job->total = total;
            return !job->stop.load();
        });
    });
    m_checkThread->setObjectName(QStringLiteral("logbook check"));
    connect(m_checkThread, &QThread::finished, this, &HistoryWindow::checkEnded);
    pbCheck->setRange(0, 0);
    pbCheck->show();
    btnStopCheck->show();
    showVerdict();
    updateButtons();
    m_checkPoll->start();
    m_checkThread->start(QThread::LowPriority);
}

void HistoryWindow::stopCheck()
{
    if (m_check)
        m_check->stop = true;
}

void HistoryWindow::checkEnded()
{
    m_checkPoll->stop();
    m_checkThread->wait();
    delete m_checkThread;
    m_checkThread = nullptr;
    m_report = m_check->report;
    m_check.reset();
    pbCheck->hide();
    btnStopCheck->hide();
    showVerdict();
    updateButtons();
    emit checked(*m_report);
}

QString HistoryWindow::verdict() const
{
    return lblVerdict->text();
}

void HistoryWindow::showVerdict()
{
    const bool bad = !m_check && m_report && !m_report->holds();
    lblVerdict->setText(m_check    ? tx(T::Checking)
                        : m_report ? T::Verdict(*m_report, m_language)
                                   : QString());
    lblVerdict->setStyleSheet(bad ? QStringLiteral("color: #b00000; font-weight: bold")
                                  : QString());
    nameValues();
}

/// An import under way: the files handed to the logbook and not answered yet (by uid), and
/// what was answered.
struct HistoryWindow::ImportRun {
    QHash<QString, QStringList> pending;
    int imported = 0;
    QStringList there;
    QStringList refused;
};

void HistoryWindow::importFiles()
{
    if (m_import || m_logbook.state() == Logbook::State::Off)
        return;
    const QStringList files =
        m_dialogs.openFileNames(this, tx(T::ImportTitle), FiringTexts::CsvFilter.text(m_language));
    if (files.isEmpty())
        return;
    m_import = std::make_unique<ImportRun>();
    updateButtons();
    QList<FiringRecord> records;
    for (const QString &path : files) {
        const QString name = QFileInfo(path).fileName();
        QFile file(path);
        if (file.size() > MaxImportBytes) {
            m_import->refused << NotAFiringRecord.text(m_language).arg(name, tx(T::TooLarge));
            continue;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            m_import->refused << name + QStringLiteral(": ") + file.errorString();
            continue;
        }
        QString why;
        const std::optional<ImportedRecord> read = ReadRecordCsv(file.readAll(), m_language, &why);
        if (!read) {
            m_import->refused << NotAFiringRecord.text(m_language).arg(name, why);
            continue;
        }
        const QString uid = read->record.uid();
        // A firing exported from this logbook names its entry by its hash: it is there.
        if (m_model && m_model->holds(uid, read->logbookHash)) {
            m_import->there << name;
            continue;
        }
        m_import->pending[uid] << name;
        records << read->record;
    }
    // Every file is listed before the first answer, which may come at once.
    for (const FiringRecord &record : std::as_const(records))
        m_logbook.importRecord(record);
    if (m_import && m_import->pending.isEmpty())
        finishImport();
}

void HistoryWindow::importAnswered(const QString &uid, const QString &problem)
{
    if (!m_import || !m_import->pending.contains(uid))
        return;
    QStringList &names = m_import->pending[uid];
    const QString name = names.takeFirst();
    if (names.isEmpty())
        m_import->pending.remove(uid);
    if (problem.isEmpty())
        ++m_import->imported;
    else if (problem == QLatin1String(T::AlreadyThere.en))
        m_import->there << name;
    else
        m_import->refused << name + QStringLiteral(": ") + T::Reason(problem, m_language);
    if (m_import->pending.isEmpty())
        // After the logbook's signal has been handled: the box waits for the user.
        QTimer::singleShot(0, this, &HistoryWindow::finishImport);
}

void HistoryWindow::finishImport()
{
    if (!m_import)
        return;
    const std::unique_ptr<ImportRun> run = std::move(m_import);
    updateButtons();
    emit importFinished(run->imported, int(run->there.size()), int(run->refused.size()));
    QStringList lines{tx(T::ImportDone).arg(run->imported)};
    auto list = [&lines](const QString &heading, const QStringList &items) {
        if (items.isEmpty())
            return;
        lines << QString() << heading;
        for (const QString &item : items)
            lines << QStringLiteral("  ") + item;
    };
    list(tx(T::ImportThere).arg(run->there.size()), run->there);
    list(tx(T::ImportRefused).arg(run->refused.size()), run->refused);
    m_dialogs.message(this,
                      run->refused.isEmpty() ? Dialogs::Icon::Information : Dialogs::Icon::Warning,
                      tx(T::ImportTitle), lines.join(QLatin1Char('\n')));
}
