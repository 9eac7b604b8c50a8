// SPDX-License-Identifier: GPL-3.0-or-later
// The furnace health window's checks: the table of checks set for the furnace with their status,
// the dialogs that set one up, change it and record it done, the log of checks done; and the
// printed summary.

#include "app/accessiblevalues.h"
#include "app/healthsummary.h"
#include "app/healthtexts.h"
#include "app/healthwindow.h"
#include "app/recordcsv.h"
#include "app/recordformat.h"
#include "common/dialogs.h"
#include "graph/healthplot.h"
#include "service/servicewidgets.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace T = HealthTexts;

namespace
{

constexpr CheckKind Kinds[] = {CheckKind::Calibration, CheckKind::VacuumPump, CheckKind::Heater};
const QColor DueBackground(255, 236, 179);
const QColor OverdueInk(176, 0, 0);

/// The status names the check (CheckStatusText), so it comes first and takes the room left.
enum CheckColumn { ColStatus, ColInterval, ColSince, CheckColumns };

QString dateText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy"));
}

QString intervalText(const CheckSetting &s, quint8 language)
{
    QStringList parts;
    if (s.intervalDays > 0)
        parts << T::EveryDays.text(language).arg(s.intervalDays);
    if (s.intervalFirings > 0)
        parts << T::EveryFirings.text(language).arg(s.intervalFirings);
    if (s.intervalHours > 0)
        parts << (s.kind == CheckKind::Heater ? T::EveryHeaterHours : T::EveryVacuumHours)
                     .text(language)
                     .arg(QString::number(s.intervalHours, 'f', 0));
    return parts.join(T::Or.text(language));
}

/// A result as the logbook keeps it ("passed: 0.5 °C low") in `language`.
QString resultText(const QString &stored, quint8 language)
{
    for (const TextPair &r : T::Results) {
        const QString en = QString::fromUtf8(r.en);
        if (stored == en || stored.startsWith(en + QStringLiteral(": ")))
            return r.text(language) + stored.mid(en.size());
    }
    return stored;
}

/// Names a spin box after its label and the value it shows.
void nameSpin(QAbstractSpinBox *box, const QLabel *label)
{
    SetValueName(box, AccessibleValueName(ShownText(label), box->text()));
}

/// Sets up a check or changes its intervals (objectName "HealthCheckDialog"): the kind, and the
/// intervals that kind counts in; at least one must be set.
class CheckDialog : public QDialog
{
public:
    CheckDialog(QWidget *parent, quint8 language, const QList<CheckKind> &kinds,
                const std::optional<CheckSetting> &editing)
        : QDialog(parent)
        , m_language(language)
    {
        setObjectName(QStringLiteral("HealthCheckDialog"));
        setWindowTitle(editing ? tx(T::EditCheckTitle).arg(CheckKindText(editing->kind, language))
                               : tx(T::NewCheckTitle));
        cmbKind = new QComboBox(this);
        cmbKind->setObjectName(QStringLiteral("cmbCheckKind"));
        for (CheckKind k : editing ? QList<CheckKind>{editing->kind} : kinds)
            cmbKind->addItem(CheckKindText(k, language), int(k));
        cmbKind->setEnabled(!editing);
        auto spin = [this](const char *name, int max) {
            auto *s = new QSpinBox(this);
            s->setObjectName(QString::fromLatin1(name));
            s->setRange(0, max);
            s->setSpecialValueText(tx(T::NotCounted));
            return s;
        };
        sbDays = spin("sbCheckDays", 3650);
        sbFirings = spin("sbCheckFirings", 100000);
        sbHours = spin("sbCheckHours", 100000);
        lblKind = new QLabel(tx(T::Kind), this);
        lblDays = new QLabel(tx(T::Days), this);
        lblFirings = new QLabel(tx(T::Firings), this);
        lblHours = new QLabel(this);
        lblError = new QLabel(this);
        lblError->setObjectName(QStringLiteral("lblCheckError"));
        lblError->setStyleSheet(QStringLiteral("color: #b00000"));
        auto *form = new QFormLayout;
        const std::pair<QLabel *, QWidget *> rows[] = {
            {lblKind, cmbKind}, {lblDays, sbDays}, {lblFirings, sbFirings}, {lblHours, sbHours}};
        for (const auto &[l, w] : rows) {
            l->setBuddy(w);
            form->addRow(l, w);
        }
        auto *buttons = new QDialogButtonBox(this);
        QPushButton *ok = buttons->addButton(tx(T::Ok), QDialogButtonBox::AcceptRole);
        ok->setObjectName(QStringLiteral("btnCheckOk"));
        ok->setDefault(true);
        QPushButton *cancel = buttons->addButton(tx(T::Cancel), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("btnCheckCancel"));
        connect(buttons, &QDialogButtonBox::accepted, this, &CheckDialog::tryAccept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(lblError);
        layout->addWidget(buttons);
        if (editing) {
            sbDays->setValue(editing->intervalDays);
            sbFirings->setValue(editing->intervalFirings);
            sbHours->setValue(int(std::lround(editing->intervalHours)));
        }
        connect(cmbKind, &QComboBox::currentIndexChanged, this, &CheckDialog::kindChanged);
        for (QSpinBox *s : {sbDays, sbFirings, sbHours})
            connect(s, &QSpinBox::valueChanged, this, &CheckDialog::nameValues);
        kindChanged();
    }

    CheckSetting setting() const
    {
        CheckSetting s;
        s.kind = kind();
        s.intervalDays = sbDays->value();
        s.intervalFirings = s.kind == CheckKind::Calibration ? sbFirings->value() : 0;
        s.intervalHours = s.kind == CheckKind::Calibration ? 0 : sbHours->value();
        return s;
    }

private:
    QString tx(const TextPair &pair) const { return pair.text(m_language); }
    CheckKind kind() const { return CheckKind(cmbKind->currentData().toInt()); }

    void kindChanged()
    {
        // A calibration counts days and firings; the pump and the heater their hours of work
        // (and days, when the laboratory wants them too).
        const bool calibration = kind() == CheckKind::Calibration;
        lblFirings->setVisible(calibration);
        sbFirings->setVisible(calibration);
        lblHours->setVisible(!calibration);
        sbHours->setVisible(!calibration);
        lblHours->setText(tx(kind() == CheckKind::Heater ? T::HeaterHours : T::VacuumHours));
        lblError->clear();
        nameValues();
    }

    void nameValues()
    {
        SetValueName(cmbKind, AccessibleValueName(tx(T::Kind), cmbKind->currentText()));
        nameSpin(sbDays, lblDays);
        nameSpin(sbFirings, lblFirings);
        nameSpin(sbHours, lblHours);
        SetValueName(lblError, ShownText(lblError).isEmpty() ? windowTitle() : ShownText(lblError));
    }

    void tryAccept()
    {
        const CheckSetting s = setting();
        if (s.intervalDays == 0 && s.intervalFirings == 0 && s.intervalHours <= 0) {
            lblError->setText(tx(T::NeedInterval));
            nameValues();
            return;
        }
        accept();
    }

    quint8 m_language;
    QComboBox *cmbKind = nullptr;
    QSpinBox *sbDays = nullptr;
    QSpinBox *sbFirings = nullptr;
    QSpinBox *sbHours = nullptr;
    QLabel *lblKind = nullptr;
    QLabel *lblDays = nullptr;
    QLabel *lblFirings = nullptr;
    QLabel *lblHours = nullptr;
    QLabel *lblError = nullptr;
};

/// A check done (objectName "HealthCheckDoneDialog"): when, the result, its details, a note.
class DoneDialog : public QDialog
{
public:
    DoneDialog(QWidget *parent, quint8 language, const QString &kind)
        : QDialog(parent)
        , m_language(language)
    {
        setObjectName(QStringLiteral("HealthCheckDoneDialog"));
        setWindowTitle(tx(T::DoneTitle).arg(kind));
        dtDoneAt = new QDateTimeEdit(QDateTime::currentDateTime(), this);
        dtDoneAt->setObjectName(QStringLiteral("dtDoneAt"));
        dtDoneAt->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
        dtDoneAt->setCalendarPopup(true);
        // Never later than now: the interval cannot start in the future.
        dtDoneAt->setMaximumDateTime(QDateTime::currentDateTime().addSecs(60));
        cmbResult = new QComboBox(this);
        cmbResult->setObjectName(QStringLiteral("cmbDoneResult"));
        for (const TextPair &r : T::Results)
            cmbResult->addItem(r.text(language), QString::fromUtf8(r.en));
        edDetails = new QLineEdit(this);
        edDetails->setObjectName(QStringLiteral("edDoneDetails"));
        edNote = new QLineEdit(this);
        edNote->setObjectName(QStringLiteral("edDoneNote"));
        for (QLineEdit *e : {edDetails, edNote})
            e->setMinimumWidth(320);
        auto *hint = new QLabel(tx(T::DoneHint), this);
        hint->setObjectName(QStringLiteral("lblDoneHint"));
        hint->setWordWrap(true);
        auto *form = new QFormLayout;
        const std::pair<TextPair, QWidget *> rows[] = {{T::DoneAt, dtDoneAt},
                                                       {T::ResultLabel, cmbResult},
                                                       {T::Details, edDetails},
                                                       {T::NoteLabel, edNote}};
        for (const auto &[text, w] : rows) {
            auto *l = new QLabel(text.text(language), this);
            l->setBuddy(w);
            form->addRow(l, w);
        }
        auto *buttons = new QDialogButtonBox(this);
        QPushButton *ok = buttons->addButton(tx(T::Ok), QDialogButtonBox::AcceptRole);
        ok->setObjectName(QStringLiteral("btnDoneOk"));
        ok->setDefault(true);
        QPushButton *cancel = buttons->addButton(tx(T::Cancel), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("btnDoneCancel"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(hint);
        layout->addWidget(buttons);
        auto name = [this] {
            SetValueName(dtDoneAt, AccessibleValueName(tx(T::DoneAt), dtDoneAt->text()));
            SetValueName(cmbResult,
                         AccessibleValueName(tx(T::ResultLabel), cmbResult->currentText()));
            SetValueName(edDetails, AccessibleValueName(tx(T::Details), edDetails->text()));
            SetValueName(edNote, AccessibleValueName(tx(T::NoteLabel), edNote->text()));
            SetValueName(m_hint, ShownText(m_hint));
        };
        m_hint = hint;
        connect(dtDoneAt, &QDateTimeEdit::dateTimeChanged, this, name);
        connect(cmbResult, &QComboBox::currentIndexChanged, this, name);
        connect(edDetails, &QLineEdit::textChanged, this, name);
        connect(edNote, &QLineEdit::textChanged, this, name);
        name();
    }

    QDateTime at() const { return dtDoneAt->dateTime(); }
    /// "passed", or "passed: details".
    QString result() const
    {
        const QString details = edDetails->text().simplified();
        const QString word = cmbResult->currentData().toString();
        return details.isEmpty() ? word : word + QStringLiteral(": ") + details;
    }
    QString note() const { return edNote->text().trimmed(); }

private:
    QString tx(const TextPair &pair) const { return pair.text(m_language); }

    quint8 m_language;
    QDateTimeEdit *dtDoneAt = nullptr;
    QComboBox *cmbResult = nullptr;
    QLineEdit *edDetails = nullptr;
    QLineEdit *edNote = nullptr;
    QLabel *m_hint = nullptr;
};

} // namespace

void HealthWindow::buildChecks(QWidget *page)
{
    twChecks = new QTableWidget(0, CheckColumns, page);
    twChecks->setObjectName(QStringLiteral("twChecks"));
    twChecks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    twChecks->setSelectionBehavior(QAbstractItemView::SelectRows);
    twChecks->setSelectionMode(QAbstractItemView::SingleSelection);
    twChecks->verticalHeader()->hide();
    twChecks->horizontalHeader()->setSectionResizeMode(ColStatus, QHeaderView::Stretch);
    twChecks->setWordWrap(true);
    // A status wraps within the width its column gets.
    connect(twChecks->horizontalHeader(), &QHeaderView::sectionResized, twChecks,
            &QTableWidget::resizeRowsToContents);
    auto button = [page](const char *name) {
        auto *b = new QPushButton(page);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    btnAddCheck = button("btnAddCheck");
    btnEditCheck = button("btnEditCheck");
    btnRemoveCheck = button("btnRemoveCheck");
    btnCheckDone = button("btnCheckDone");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnAddCheck, btnEditCheck, btnRemoveCheck})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btnCheckDone);
    lblCheckLog = new QLabel(page);
    lblCheckLog->setObjectName(QStringLiteral("lblCheckLog"));
    twCheckLog = new QTreeWidget(page);
    twCheckLog->setObjectName(QStringLiteral("twCheckLog"));
    twCheckLog->setColumnCount(5);
    twCheckLog->setRootIsDecorated(false);
    twCheckLog->setSelectionMode(QAbstractItemView::SingleSelection);
    lblCheckLog->setBuddy(twCheckLog);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(twChecks, 2);
    layout->addLayout(buttons);
    layout->addSpacing(6);
    layout->addWidget(lblCheckLog);
    layout->addWidget(twCheckLog, 3);
}

void HealthWindow::reLanguageChecks()
{
    twChecks->setHorizontalHeaderLabels({tx(T::Status), tx(T::Interval), tx(T::Since)});
    twCheckLog->setHeaderLabels(
        {tx(T::When), tx(T::Check), tx(T::Result), tx(T::Operator), tx(T::Note)});
    btnAddCheck->setText(tx(T::AddCheck));
    btnEditCheck->setText(tx(T::EditCheck));
    btnRemoveCheck->setText(tx(T::RemoveCheck));
    btnCheckDone->setText(tx(T::CheckDone));
    lblCheckLog->setText(tx(T::CheckLog));
}

void HealthWindow::fillChecks()
{
    const qint64 selected = selectedCheck() ? selectedCheck()->id : 0;
    m_checks =
        m_db.isOpen() && !furnace().isEmpty() ? m_db.checks(furnace()) : QList<CheckSetting>{};
    const QSignalBlocker block(twChecks);
    twChecks->setRowCount(int(m_checks.size()));
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    int dueCount = 0;
    for (int row = 0; row < int(m_checks.size()); ++row) {
        const CheckSetting &c = m_checks[row];
        const std::optional<CheckUsage> usage = m_db.checkUsage(c, now);
        const CheckStatus status = EvaluateCheck(c, usage.value_or(CheckUsage{}));
        const QString statusText = usage ? CheckStatusText(status, *usage, m_language)
                                         : tx(T::ReadFailed).arg(m_db.error());
        const QString cells[CheckColumns] = {statusText, intervalText(c, m_language),
                                             dateText(c.sinceMs)};
        for (int column = 0; column < CheckColumns; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (status.due) {
                item->setBackground(DueBackground);
                QFont bold = twChecks->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            if (status.overdue)
                item->setForeground(OverdueInk);
            item->setToolTip(cells[column]);
            twChecks->setItem(row, column, item);
        }
        dueCount += status.due;
        if (c.id == selected)
            twChecks->selectRow(row);
    }
    // The first check is at hand when none was chosen: "Check done..." works at once.
    if (twChecks->selectedItems().isEmpty() && !m_checks.isEmpty())
        twChecks->selectRow(0);
    twChecks->resizeColumnToContents(ColInterval);
    twChecks->resizeColumnToContents(ColSince);
    twChecks->resizeRowsToContents();
    m_tabs->setTabText(1, tx(T::ChecksTab)
                              .arg(dueCount > 0
                                       ? QStringLiteral("%1/%2").arg(dueCount).arg(m_checks.size())
                                       : QString::number(m_checks.size())));
    updateCheckButtons();
    nameValues();
}

void HealthWindow::fillCheckLog()
{
    twCheckLog->clear();
    if (!m_db.isOpen() || furnace().isEmpty())
        return;
    QList<QTreeWidgetItem *> items;
    for (const CheckContent &done : m_db.checkLog(furnace())) {
        const std::optional<CheckKind> kind = CheckKindFromName(done.kind);
        auto *item = new QTreeWidgetItem(
            {QDateTime::fromMSecsSinceEpoch(done.atMs).toString(QStringLiteral("dd.MM.yyyy HH:mm")),
             kind ? CheckKindText(*kind, m_language) : done.kind,
             resultText(done.result, m_language), done.operatorName, done.note});
        for (int column = 0; column < 5; ++column)
            item->setToolTip(column, item->text(column));
        items << item;
    }
    twCheckLog->addTopLevelItems(items);
    for (int column = 0; column < 4; ++column)
        twCheckLog->resizeColumnToContents(column);
    nameValues();
}

const CheckSetting *HealthWindow::selectedCheck() const
{
    const QList<QTableWidgetItem *> selected = twChecks->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const int row = selected.first()->row();
    return row >= 0 && row < m_checks.size() ? &m_checks[row] : nullptr;
}

void HealthWindow::updateCheckButtons()
{
    const bool can = m_db.isOpen() && m_problem.isEmpty() && m_writable && !furnace().isEmpty();
    const bool allSet = m_checks.size() >= qsizetype(std::size(Kinds));
    btnAddCheck->setEnabled(can && !allSet);
    btnAddCheck->setToolTip(allSet ? tx(T::AllKindsSet) : QString());
    const bool one = can && selectedCheck() != nullptr;
    btnEditCheck->setEnabled(one);
    btnRemoveCheck->setEnabled(one);
    btnCheckDone->setEnabled(one);
}

bool HealthWindow::written(bool ok)
{
    if (!ok) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(T::Title),
                          tx(T::WriteFailed).arg(m_db.error()));
        return false;
    }
    fillChecks();
    fillCheckLog();
    if (m_hooks.checksChanged)
        m_hooks.checksChanged();
    return true;
}

void HealthWindow::addCheck()
{
    if (!btnAddCheck->isEnabled())
        return;
    QList<CheckKind> free;
    for (CheckKind k : Kinds)
        if (std::none_of(m_checks.cbegin(), m_checks.cend(),
                         [k](const CheckSetting &c) { return c.kind == k; }))
            free << k;
    CheckDialog dialog(this, m_language, free, std::nullopt);
    if (m_dialogs.showModal(dialog) != QDialog::Accepted)
        return;
    CheckSetting setting = dialog.setting();
    setting.furnaceKey = furnace();
    setting.sinceMs = QDateTime::currentMSecsSinceEpoch();
    written(m_db.saveCheck(setting));
}

void HealthWindow::editCheck()
{
    const CheckSetting *current = selectedCheck();
    if (!current || !btnEditCheck->isEnabled())
        return;
    CheckDialog dialog(this, m_language, {}, *current);
    if (m_dialogs.showModal(dialog) != QDialog::Accepted)
        return;
    CheckSetting setting = *current;
    const CheckSetting chosen = dialog.setting();
    setting.intervalDays = chosen.intervalDays;
    setting.intervalFirings = chosen.intervalFirings;
    setting.intervalHours = chosen.intervalHours;
    written(m_db.saveCheck(setting));
}

void HealthWindow::removeCheck()
{
    const CheckSetting *current = selectedCheck();
    if (!current || !btnRemoveCheck->isEnabled())
        return;
    const qint64 id = current->id;
    if (!m_dialogs.question(this, tx(T::Title),
                            tx(T::RemoveQuestion).arg(CheckKindText(current->kind, m_language))))
        return;
    written(m_db.removeCheck(id));
}

void HealthWindow::checkDone()
{
    const CheckSetting *current = selectedCheck();
    if (!current || !btnCheckDone->isEnabled())
        return;
    const qint64 id = current->id;
    DoneDialog dialog(this, m_language, CheckKindText(current->kind, m_language));
    if (m_dialogs.showModal(dialog) != QDialog::Accepted)
        return;
    written(m_db.checkDone(id, dialog.result(), dialog.note(), m_hooks.operatorName, dialog.at()));
}

HealthSummaryContent HealthWindow::summaryContent()
{
    HealthSummaryContent c;
    c.language = m_language;
    c.console = m_hooks.console;
    c.furnace = cmbFurnace->currentText();
    const QString format = QStringLiteral("dd.MM.yyyy");
    c.period = cmbPeriod->currentText() + QStringLiteral(" (") +
               QDateTime::fromMSecsSinceEpoch(m_heating->fullFromMs()).toString(format) +
               QStringLiteral(" – ") +
               QDateTime::fromMSecsSinceEpoch(m_heating->fullToMs()).toString(format) +
               QLatin1Char(')');
    c.made = QDateTime::currentDateTime();
    c.plots = {m_heating->data(), m_hold->data(), m_vacuum->data()};
    c.fromMs = m_heating->viewFromMs();
    c.toMs = m_heating->viewToMs();
    for (qsizetype i = m_flags.size() - 1; i >= 0; --i) {
        const Flag &f = m_flags[i];
        c.flags.append(
            {QDateTime::fromMSecsSinceEpoch(f.atMs).toString(QStringLiteral("dd.MM.yyyy HH:mm")),
             m_firingNames.value(f.entryId), f.message(m_language)});
    }
    const QList<CheckContent> log =
        m_db.isOpen() ? m_db.checkLog(furnace()) : QList<CheckContent>{};
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const CheckSetting &s : m_checks) {
        const std::optional<CheckUsage> usage = m_db.checkUsage(s, now);
        HealthSummaryContent::Check check;
        const CheckStatus status = EvaluateCheck(s, usage.value_or(CheckUsage{}));
        check.status =
            usage ? CheckStatusText(status, *usage, m_language) : CheckKindText(s.kind, m_language);
        check.due = status.due;
        check.overdue = status.overdue;
        const auto done = std::find_if(log.cbegin(), log.cend(), [&s](const CheckContent &d) {
            return d.kind == CheckKindName(s.kind);
        });
        if (done != log.cend())
            check.last =
                tx(T::LastDone).arg(dateText(done->atMs), resultText(done->result, m_language));
        c.checks << check;
    }
    return c;
}

QByteArray HealthWindow::summaryPdf()
{
    return HealthSummary::Pdf(summaryContent());
}

void HealthWindow::saveSummary()
{
    if (furnace().isEmpty())
        return;
    QString title = tx(T::Summary);
    title.remove(QStringLiteral("..."));
    const QString name = QStringLiteral("furnace-health-%1.pdf")
                             .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString proposed = QFileInfo(documents).isDir() ? QDir(documents).filePath(name) : name;
    const QString path = m_dialogs.saveFileNameProposing(
        this, title, FiringTexts::PdfFilter.text(m_language), QStringLiteral("pdf"), proposed);
    if (path.isEmpty())
        return;
    const QByteArray bytes = summaryPdf();
    const QString error =
        bytes.isEmpty() ? FiringTexts::PdfFailed.text(m_language) : SaveRecordFile(path, bytes);
    if (!error.isEmpty())
        m_dialogs.message(
            this, Dialogs::Icon::Error, tx(T::Title),
            FiringTexts::SaveFailed.text(m_language).arg(QDir::toNativeSeparators(path), error));
}

void HealthWindow::printSummary()
{
    if (furnace().isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    if (!m_dialogs.choosePrinter(this, printer))
        return;
    if (!HealthSummary::Print(printer, summaryContent()))
        m_dialogs.message(this, Dialogs::Icon::Error, tx(T::Title), tx(T::PrintFailed));
}
