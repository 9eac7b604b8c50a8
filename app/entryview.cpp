// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/entryview.h"

#include "app/accessiblevalues.h"
#include "app/historytexts.h"
#include "app/historywindow.h"
#include "app/recordformat.h"
#include "graph/firingcurveview.h"
#include "logbook/historymodel.h"
#include "logbook/logbook.h"
#include "logbook/logbookdb.h"
#include "service/servicewidgets.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace T = HistoryTexts;
namespace F = FiringTexts;

namespace
{

/// The facts of an entry, in the order the view lists them.
enum Fact {
    FactDate,
    FactStart,
    FactEnd,
    FactDuration,
    FactOutcome,
    FactFurnace,
    FactPort,
    FactMass,
    FactLayer,
    FactProgram,
    FactOperator,
    FactConsole,
    FactImported,
    FactSamples,
    FactHealth,
    FactHash,
    FactCount
};

struct FactName {
    const char *object;
    TextPair caption;
};
constexpr FactName FactNames[FactCount] = {
    {"lblDate", F::Date},
    {"lblStart", F::Start},
    {"lblEnd", F::End},
    {"lblDuration", F::Duration},
    {"lblOutcome", F::Outcome},
    {"lblFurnace", F::Furnace},
    {"lblPort", F::Port},
    {"lblMass", F::Mass},
    {"lblLayer", F::Layer},
    {"lblProgram", F::ProgramNumber},
    {"lblOperator", T::Operator},
    {"lblConsole", F::Console},
    {"lblImported", T::ImportedFact},
    {"lblSamples", F::Samples},
    {"lblHealth", T::Health},
    {"lblHash", T::Hash},
};

QString timeOf(const QDateTime &when)
{
    return when.isValid() ? when.toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("—");
}

QTreeWidget *tree(const char *name, int columns, QWidget *parent)
{
    auto *t = new QTreeWidget(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setColumnCount(columns);
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->header()->setStretchLastSection(true);
    return t;
}

} // namespace

EntryView::EntryView(Logbook &logbook, LogbookDb &db, StoredEntry entry, const HistoryHooks &hooks,
                     quint8 language, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_logbook(logbook)
    , m_db(db)
    , m_hooks(hooks)
    , m_entry(std::move(entry))
    , m_language(language)
{
    setObjectName(QStringLiteral("EntryView"));
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    fill();
    edCase->setText(m_entry.summary.caseReference);
    edNote->setPlainText(m_entry.summary.note);
    reLanguage();

    connect(edCase, &QLineEdit::textChanged, this, &EntryView::updateAmendButton);
    connect(edNote, &QPlainTextEdit::textChanged, this, &EntryView::updateAmendButton);
    connect(btnAmend, &QPushButton::clicked, this, &EntryView::addAmendment);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    const std::pair<QPushButton *,
                    std::function<void(const FiringRecord &, const QByteArray &)> HistoryHooks::*>
        commands[] = {{btnSaveRecord, &HistoryHooks::saveRecord},
                      {btnReportPdf, &HistoryHooks::reportPdf},
                      {btnPrint, &HistoryHooks::print}};
    for (const auto &[button, hook] : commands) {
        button->setEnabled(bool(m_hooks.*hook));
        connect(button, &QPushButton::clicked, this, [this, hook = hook] {
            if (m_hooks.*hook)
                (m_hooks.*hook)(m_entry.record, m_entry.summary.hash);
        });
    }

    connect(&m_logbook, &Logbook::amended, this, [this](const QString &uid, const QString &field) {
        if (uid != m_entry.summary.uid)
            return;
        const bool ours = m_pending.removeOne(field);
        if (ours && m_pending.isEmpty())
            setStatus(AmendStatus::Written);
        if (m_pending.isEmpty())
            reload();
    });
    connect(&m_logbook, &Logbook::entryFailed, this,
            [this](const QString &uid, const QString &problem) {
                if (uid != m_entry.summary.uid || m_pending.isEmpty())
                    return;
                m_pending.clear();
                setStatus(AmendStatus::Failed, problem);
            });
    connect(&m_logbook, &Logbook::stateChanged, this, &EntryView::updateAmendButton);
    // A firing that ran when it was opened is shown whole once it has ended.
    connect(&m_logbook, &Logbook::entrySealed, this, [this](const QString &uid) {
        if (uid == m_entry.summary.uid)
            reload();
    });
}

void EntryView::build()
{
    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };

    auto *factsBox = new QWidget(this);
    m_facts = new QFormLayout(factsBox);
    m_facts->setContentsMargins(0, 0, 0, 0);
    m_facts->setLabelAlignment(Qt::AlignLeft);
    for (const FactName &fact : FactNames) {
        auto *name = new QLabel(factsBox);
        auto *value = new QLabel(factsBox);
        value->setObjectName(QString::fromLatin1(fact.object));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        m_factNames << name;
        m_factValues << value;
        m_facts->addRow(name, value);
    }
    m_factValues[FactHash]->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_factValues[FactHash]->setWordWrap(false);
    m_factValues[FactHealth]->setWordWrap(true);

    gbAmend = new QGroupBox(this);
    gbAmend->setObjectName(QStringLiteral("gbAmend"));
    lblCase = new QLabel(gbAmend);
    edCase = new QLineEdit(gbAmend);
    edCase->setObjectName(QStringLiteral("edCase"));
    lblCase->setBuddy(edCase);
    lblNote = new QLabel(gbAmend);
    edNote = new QPlainTextEdit(gbAmend);
    edNote->setObjectName(QStringLiteral("edNote"));
    edNote->setTabChangesFocus(true);
    edNote->setFixedHeight(fontMetrics().height() * 3 + 12);
    btnAmend = new QPushButton(gbAmend);
    btnAmend->setObjectName(QStringLiteral("btnAmend"));
    btnAmend->setAutoDefault(false);
    lblAmendStatus = new QLabel(gbAmend);
    lblAmendStatus->setObjectName(QStringLiteral("lblAmendStatus"));
    lblAmendStatus->setWordWrap(true);
    auto *amend = new QVBoxLayout(gbAmend);
    amend->addWidget(lblCase);
    amend->addWidget(edCase);
    amend->addWidget(lblNote);
    amend->addWidget(edNote);
    auto *amendRow = new QHBoxLayout;
    amendRow->addWidget(lblAmendStatus, 1);
    amendRow->addWidget(btnAmend, 0, Qt::AlignTop);
    amend->addLayout(amendRow);

    btnSaveRecord = button("btnSaveRecord");
    btnReportPdf = button("btnReportPdf");
    btnPrint = button("btnPrint");
    btnClose = button("btnClose");
    auto *records = new QHBoxLayout;
    records->addWidget(btnSaveRecord);
    records->addWidget(btnReportPdf);
    records->addWidget(btnPrint);
    records->addStretch(1);
    records->addWidget(btnClose);

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(factsBox);
    leftLayout->addWidget(gbAmend);
    leftLayout->addStretch(1);

    m_curve = new FiringCurveView(this);
    m_curve->setObjectName(QStringLiteral("pbEntryCurve"));
    twParameters = tree("twParameters", 3, this);
    twParameters->setRootIsDecorated(true);
    twEvents = tree("twEvents", 2, this);
    twAmendments = tree("twAmendments", 4, this);
    tabEntry = new QTabWidget(this);
    tabEntry->setObjectName(QStringLiteral("tabEntry"));
    tabEntry->addTab(twParameters, QString());
    tabEntry->addTab(twEvents, QString());
    tabEntry->addTab(twAmendments, QString());
    auto *right = new QSplitter(Qt::Vertical, this);
    right->setObjectName(QStringLiteral("spEntry"));
    right->addWidget(m_curve);
    right->addWidget(tabEntry);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    right->setChildrenCollapsible(false);

    auto *body = new QHBoxLayout;
    body->addWidget(left, 0);
    body->addWidget(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(records);
    left->setFixedWidth(390);
    resize(1180, 760);
}

void EntryView::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    fill();
    reLanguage();
}

void EntryView::reLanguage()
{
    const EntrySummary &s = m_entry.summary;
    setWindowTitle(tx(T::EntryTitle).arg(HistoryModel::startedText(s), s.mass, s.layer));
    for (int i = 0; i < FactCount; ++i)
        m_factNames[i]->setText(FactNames[i].caption.text(m_language) + QLatin1Char(':'));
    tabEntry->setTabText(0, tx(F::Parameters));
    tabEntry->setTabText(1, tx(F::Events));
    tabEntry->setTabText(2, tx(T::Amendments) +
                                QStringLiteral(" (%1)").arg(m_entry.amendments.size()));
    tabEntry->setAccessibleName(
        QStringList{tx(F::Parameters), tx(F::Events), tx(T::Amendments)}.join(
            QStringLiteral(", ")));
    twParameters->setHeaderLabels({tx(T::Parameter), tx(T::Value), tx(T::Unit)});
    twParameters->setAccessibleName(tx(F::Parameters));
    twEvents->setHeaderLabels({tx(T::Time), tx(T::Event)});
    twEvents->setAccessibleName(tx(F::Events));
    twAmendments->setHeaderLabels({tx(T::Time), tx(T::Field), tx(T::Value), tx(T::Operator)});
    twAmendments->setAccessibleName(tx(T::Amendments));
    gbAmend->setTitle(tx(T::CaseAndNote));
    lblCase->setText(tx(T::Case) + QLatin1Char(':'));
    lblNote->setText(tx(T::Note) + QLatin1Char(':'));
    edCase->setAccessibleName(tx(T::Case));
    edNote->setAccessibleName(tx(T::Note));
    btnAmend->setText(tx(T::AddAmendment));
    btnSaveRecord->setText(tx(F::SaveRecord));
    btnReportPdf->setText(tx(F::ReportPdf));
    btnPrint->setText(tx(F::Print));
    btnClose->setText(tx(T::Close));
    m_curve->setAccessibleName(tx(T::CurveName) + QStringLiteral(": ") + s.mass +
                               QStringLiteral(" / ") + s.layer);
    updateAmendButton();
}

void EntryView::fill()
{
    const FiringRecord &record = m_entry.record;
    m_curve->setLanguage(m_language);
    m_curve->setRecord(&record.facts().record);
    m_curve->setMeasuredTrace(&record.trace(), &record.facts().record);
    // The executed path ends where the run did.
    const QList<TraceSample> &samples = record.trace().samples();
    if (!samples.isEmpty()) {
        const TraceSample &last = samples.constLast();
        m_curve->setRunPosition(last.CurrentZone, last.ZoneTime, last.ChamberTemp);
    }
    m_curve->TotalScale();
    fillFacts();
    fillParameters();
    fillEvents();
    fillAmendments();
}

void EntryView::fillFacts()
{
    const FiringRecord &record = m_entry.record;
    const FiringTrace &trace = record.trace();
    const EntrySummary &s = m_entry.summary;
    QString values[FactCount];
    values[FactDate] = trace.startedAt().toString(QStringLiteral("dd.MM.yyyy"));
    values[FactStart] = timeOf(trace.startedAt());
    values[FactEnd] = timeOf(trace.endedAt());
    values[FactDuration] = trace.running() ? QStringLiteral("—") : DurationText(trace, {});
    values[FactOutcome] = OutcomeText(trace, m_language);
    values[FactFurnace] = FurnaceText(record.facts(), m_language);
    values[FactPort] = record.facts().port;
    values[FactMass] = record.facts().massName;
    values[FactLayer] = record.facts().layerName;
    values[FactProgram] = QString::number(record.facts().record.ProgNumber);
    values[FactOperator] = record.facts().operatorName;
    values[FactConsole] = record.facts().console;
    values[FactImported] = tx(s.imported ? F::Yes : F::No);
    values[FactSamples] = QString::number(trace.samples().size());
    if (trace.dropped() > 0)
        values[FactSamples] +=
            QStringLiteral(" (%1: %2)").arg(tx(F::DroppedSamples)).arg(trace.dropped());
    QStringList drift;
    for (const DriftFlag &f : m_db.driftOf(s.id))
        drift << DriftMessage(f, m_language);
    values[FactHealth] = drift.isEmpty() ? tx(T::NoDrift) : drift.join(QLatin1Char('\n'));
    const QString hash = QString::fromLatin1(s.hash.toHex());
    values[FactHash] =
        hash.isEmpty() ? tx(T::NotSealed) : hash.left(32) + QLatin1Char('\n') + hash.mid(32);
    for (int i = 0; i < FactCount; ++i) {
        m_factValues[i]->setText(values[i]);
        const QString shown = i == FactHash && !hash.isEmpty() ? hash : values[i];
        SetValueName(m_factValues[i],
                     AccessibleValueName(FactNames[i].caption.text(m_language), shown));
    }
}

void EntryView::fillParameters()
{
    twParameters->clear();
    for (const ParameterGroup &group :
         RecordParameterGroups(m_entry.record.facts().record, m_language)) {
        auto *top = new QTreeWidgetItem(twParameters, {group.title});
        top->setFirstColumnSpanned(true);
        QFont bold = top->font(0);
        bold.setBold(true);
        top->setFont(0, bold);
        for (const ParameterLine &line : group.lines) {
            auto *item = new QTreeWidgetItem(top, {line.label, line.shown, line.unit});
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    twParameters->expandAll();
    twParameters->resizeColumnToContents(0);
}

void EntryView::fillEvents()
{
    twEvents->clear();
    QList<QTreeWidgetItem *> items;
    for (const RecordEvent &event : m_entry.record.events())
        items << new QTreeWidgetItem({timeOf(event.when), EventText(event, m_language)});
    if (m_entry.record.droppedEvents() > 0)
        items << new QTreeWidgetItem({QString(), QStringLiteral("%1: %2")
                                                     .arg(tx(F::DroppedEvents))
                                                     .arg(m_entry.record.droppedEvents())});
    twEvents->addTopLevelItems(items);
    twEvents->resizeColumnToContents(0);
}

void EntryView::fillAmendments()
{
    twAmendments->clear();
    for (const StoredAmendment &a : m_entry.amendments) {
        const QString field = a.field == QLatin1String("case")   ? tx(T::Case)
                              : a.field == QLatin1String("note") ? tx(T::Note)
                                                                 : a.field;
        new QTreeWidgetItem(twAmendments, {a.at.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
                                           field, a.value, a.operatorName});
    }
    twAmendments->resizeColumnToContents(0);
    tabEntry->setTabText(2, tx(T::Amendments) +
                                QStringLiteral(" (%1)").arg(m_entry.amendments.size()));
}

void EntryView::addAmendment()
{
    if (!m_pending.isEmpty() || m_entry.chainSeq == 0)
        return;
    const QString user = Logbook::SystemUserName();
    const std::tuple<QString, QString, QString> fields[] = {
        {QStringLiteral("case"), edCase->text(), m_entry.summary.caseReference},
        {QStringLiteral("note"), edNote->toPlainText(), m_entry.summary.note},
    };
    for (const auto &[field, now, stored] : fields) {
        if (now == stored)
            continue;
        m_pending << field;
        m_logbook.amend(m_entry.summary.uid, field, now, user);
    }
    if (m_pending.isEmpty())
        return;
    setStatus(m_logbook.state() == Logbook::State::Failed ? AmendStatus::Waiting
                                                          : AmendStatus::Pending);
}

void EntryView::reload()
{
    std::optional<StoredEntry> again = m_db.load(m_entry.summary.id);
    if (!again) {
        setStatus(AmendStatus::ReadFailed, m_db.error());
        return;
    }
    // What the user is typing stays; fields that showed the stored value show the new one.
    const bool caseEdited = edCase->text() != m_entry.summary.caseReference;
    const bool noteEdited = edNote->toPlainText() != m_entry.summary.note;
    m_entry = std::move(*again);
    fill();
    if (!caseEdited || edCase->text() == m_entry.summary.caseReference)
        edCase->setText(m_entry.summary.caseReference);
    if (!noteEdited || edNote->toPlainText() == m_entry.summary.note)
        edNote->setPlainText(m_entry.summary.note);
    updateAmendButton();
    emit reloaded();
}

void EntryView::updateAmendButton()
{
    const bool sealed = m_entry.chainSeq > 0;
    const bool off = m_logbook.state() == Logbook::State::Off;
    const bool changed = edCase->text() != m_entry.summary.caseReference ||
                         edNote->toPlainText() != m_entry.summary.note;
    btnAmend->setEnabled(sealed && !off && changed && m_pending.isEmpty());
    edCase->setReadOnly(!sealed || off);
    edNote->setReadOnly(!sealed || off);
    showStatus();
}

void EntryView::setStatus(AmendStatus status, const QString &detail)
{
    m_status = status;
    m_statusDetail = detail;
    updateAmendButton();
}

void EntryView::showStatus()
{
    QString text;
    bool bad = false;
    if (m_entry.chainSeq == 0) {
        text = tx(T::AmendRunning);
    } else if (m_logbook.state() == Logbook::State::Off) {
        text = tx(T::AmendOff);
    } else {
        switch (m_status) {
        case AmendStatus::None:
            break;
        case AmendStatus::Pending:
            text = tx(T::AmendPending);
            break;
        case AmendStatus::Waiting:
            text = tx(T::AmendWaiting).arg(m_logbook.problem());
            break;
        case AmendStatus::Written:
            text = tx(T::AmendWritten);
            break;
        case AmendStatus::Failed:
            text = tx(T::AmendFailed).arg(m_statusDetail);
            bad = true;
            break;
        case AmendStatus::ReadFailed:
            text = tx(T::OpenFailed).arg(m_statusDetail);
            bad = true;
            break;
        }
    }
    lblAmendStatus->setText(text);
    lblAmendStatus->setStyleSheet(bad ? QStringLiteral("color: #b00000") : QString());
    SetValueName(lblAmendStatus, AccessibleValueName(tx(T::CaseAndNote), text));
}
