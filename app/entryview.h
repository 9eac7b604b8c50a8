// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "logbook/historyquery.h"

#include <QStringList>
#include <QWidget>

class FiringCurveView;
class Logbook;
class LogbookDb;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
struct HistoryHooks;

/// One entry of the firing logbook opened whole (objectName "EntryView"): its facts, its curve
/// (the plan, the path executed up to where the run ended, the measured temperature), its
/// twenty parameters, its events and its amendments; the case reference and the note amended
/// (appended through the logbook, never edited); the record commands of the main window.
///
/// Reads through `db` (the history window's connection, user-interface thread) when the logbook
/// says the entry was amended. `logbook`, `db` and `hooks` must outlive the view. A top-level
/// window.
class EntryView : public QWidget
{
    Q_OBJECT
public:
    EntryView(Logbook &logbook, LogbookDb &db, StoredEntry entry, const HistoryHooks &hooks,
              quint8 language, QWidget *parent = nullptr);

    void setLanguage(quint8 language);
    const StoredEntry &entry() const { return m_entry; }
    FiringCurveView *curve() const { return m_curve; }

    /// Appends an amendment for each of the case reference and the note that differ from the
    /// entry's (the fields edCase and edNote).
    void addAmendment();
    /// Reads the entry again.
    void reload();

signals:
    /// The entry was read again after an amendment.
    void reloaded();

private:
    void build();
    void reLanguage();
    /// Everything the view shows of the entry, in the language in force.
    void fill();
    void fillFacts();
    void fillParameters();
    void fillEvents();
    void fillAmendments();
    void updateAmendButton();
    /// How the last amendment fares, shown under the fields (lblAmendStatus).
    enum class AmendStatus { None, Pending, Waiting, Written, Failed, ReadFailed };
    void setStatus(AmendStatus status, const QString &detail = {});
    void showStatus();
    QString tx(const TextPair &pair) const { return pair.text(m_language); }

    Logbook &m_logbook;
    LogbookDb &m_db;
    const HistoryHooks &m_hooks;
    StoredEntry m_entry;
    quint8 m_language = 1;
    /// Fields of amendments handed to the logbook and not yet written.
    QStringList m_pending;
    AmendStatus m_status = AmendStatus::None;
    QString m_statusDetail;

    QFormLayout *m_facts = nullptr;
    QList<QLabel *> m_factNames;
    QList<QLabel *> m_factValues;
    FiringCurveView *m_curve = nullptr;
    QTabWidget *tabEntry = nullptr;
    QTreeWidget *twParameters = nullptr;
    QTreeWidget *twEvents = nullptr;
    QTreeWidget *twAmendments = nullptr;
    QGroupBox *gbAmend = nullptr;
    QLabel *lblCase = nullptr;
    QLineEdit *edCase = nullptr;
    QLabel *lblNote = nullptr;
    QPlainTextEdit *edNote = nullptr;
    QPushButton *btnAmend = nullptr;
    QLabel *lblAmendStatus = nullptr;
    QPushButton *btnSaveRecord = nullptr;
    QPushButton *btnReportPdf = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnClose = nullptr;
};
