// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "logbook/firingfigures.h"
#include "logbook/historyquery.h"

#include <QList>
#include <QWidget>

class CompareView;
class QLabel;
class QRadioButton;
class QSplitter;
class QTableWidget;

/// Firings of the logbook compared (objectName "CompareWindow"): their measured curves over each
/// other on one time axis (CompareView), aligned at the program's start or at the start of
/// heating, and a table of each one's figures beneath. Holds its own copies of the entries; a
/// top-level window.
class CompareWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Alignment { ProgramStart, HeatingStart };

    /// The first MaxCompareCurves of `entries`, in their order.
    CompareWindow(const QList<StoredEntry> &entries, quint8 language, QWidget *parent = nullptr);

    void setLanguage(quint8 language);
    void setAlignment(Alignment alignment);
    Alignment alignment() const { return m_alignment; }

    CompareView *view() const { return m_view; }
    /// The legend's label of an entry: "07.12.2026 14:32, Dentine A2 / Glaze".
    static QString label(const EntrySummary &entry);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void reLanguage();
    void fillFigures();
    void updateCurves();
    /// Gives the figures' table the height of its rows.
    void fitFigures();
    QString tx(const TextPair &pair) const { return pair.text(m_language); }

    struct Compared {
        StoredEntry entry;
        FiringFigures figures;
    };
    QList<Compared> m_compared;
    quint8 m_language = 1;
    Alignment m_alignment = Alignment::ProgramStart;

    CompareView *m_view = nullptr;
    QLabel *lblAlign = nullptr;
    QRadioButton *rbAlignStart = nullptr;
    QRadioButton *rbAlignHeating = nullptr;
    QTableWidget *twFigures = nullptr;
    QSplitter *m_split = nullptr;
};
