// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/runfigures.h"
#include "app/stalelook.h"

#include <QFrame>

class QLabel;
class QLineEdit;
class QProgressBar;

/// The run panel above the firing curve (objectName "pnlRun"): in a large font, the stage of
/// the running program, its step, the remaining time, the expected end, the time elapsed and a
/// progress bar; after the run, how and when it ended. It shows figures computed elsewhere
/// (ComputeRunFigures) and holds no state of the run.
class RunPanel : public QFrame
{
    Q_OBJECT
public:
    explicit RunPanel(QWidget *parent = nullptr);

    void showFigures(const RunFigures &figures);
    /// Greys the figures that come from the furnace: the stage and step, and the remaining
    /// time with the end time and the progress.
    void setStale(bool stage, bool remaining);
    /// Accessible names in `language`.
    void setLanguage(quint8 language);
    /// The case reference and the note of the firing shown (the row is hidden before the first
    /// firing); what the user types is reported by the signals below, not these texts.
    void showNotes(bool shown, const QString &caseReference, const QString &note);
    /// What the furnace's health says: `drift`, what the last firing's figures showed (after its
    /// end), and `checks`, the checks that are due (before a start); each hidden when empty.
    void showHealth(const QString &drift, const QString &checks);
    QString healthText() const;

    /// The whole stage or outcome text (the label may show it shortened).
    QString headline() const { return m_headline; }

signals:
    /// The user changed the case reference or the note and left the field (or pressed Enter).
    void caseReferenceEdited(const QString &text);
    void noteEdited(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showHeadline();
    void nameNotes();

    QLabel *lblRunStage = nullptr;
    QLabel *lblRunStep = nullptr;
    QLabel *lblRunRemaining = nullptr;
    QLabel *lblRunEnd = nullptr;
    QLabel *lblRunElapsed = nullptr;
    QProgressBar *pbRunProgress = nullptr;
    QWidget *m_notesRow = nullptr;
    QLabel *lblCaseRef = nullptr;
    QLineEdit *edCaseRef = nullptr;
    QLabel *lblNote = nullptr;
    QLabel *lblRunHealth = nullptr;
    QLabel *lblRunChecks = nullptr;
    QLineEdit *edNote = nullptr;
    QString m_headline;
    quint8 m_language = 1;
};
