// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/runfigures.h"
#include "app/stalelook.h"

#include <QFrame>

class QLabel;
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

    /// The whole stage or outcome text (the label may show it shortened).
    QString headline() const { return m_headline; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showHeadline();

    QLabel *lblRunStage = nullptr;
    QLabel *lblRunStep = nullptr;
    QLabel *lblRunRemaining = nullptr;
    QLabel *lblRunEnd = nullptr;
    QLabel *lblRunElapsed = nullptr;
    QProgressBar *pbRunProgress = nullptr;
    QString m_headline;
};
