// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/furnacestatus.h"

#include <QFrame>
#include <QHash>
#include <QPointer>
#include <QWidget>

class FurnaceWindows;
class QGridLayout;
class QLabel;
class QProgressBar;
class TForm1;

/// One furnace window's tile in the lab overview: its port and furnace, whether it answers,
/// the temperature and vacuum in large figures, the chamber, and while a program runs its mass
/// and layer, stage, step, the minutes left, the expected end and the progress; a fault in red
/// until the window's fault box is closed. A click raises the furnace's window.
class FurnaceTile : public QFrame
{
    Q_OBJECT
public:
    explicit FurnaceTile(QWidget *parent = nullptr);
    void showStatus(const FurnaceStatus &status, quint8 language);
    /// Everything the tile shows, as one sentence (its accessible name).
    QString summary() const { return m_summary; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *lblTitle = nullptr;
    QLabel *lblLink = nullptr;
    QLabel *lblTemperature = nullptr;
    QLabel *lblVacuum = nullptr;
    QLabel *lblChamber = nullptr;
    QLabel *lblProgram = nullptr;
    QLabel *lblStage = nullptr;
    QLabel *lblStep = nullptr;
    QLabel *lblTime = nullptr;
    QProgressBar *pbProgress = nullptr;
    QLabel *lblFault = nullptr;
    QLabel *lblChecks = nullptr;
    QString m_summary;
};

/// Lab overview (objectName "LabOverview"): a tile per furnace window of the console, each
/// brought up to date on every tick of its furnace; readable from across the room.
class LabOverview : public QWidget
{
    Q_OBJECT
public:
    explicit LabOverview(FurnaceWindows &windows, quint8 language = 1, QWidget *parent = nullptr);
    void setLanguage(quint8 language);
    /// The tile of `window`; nullptr when it has none.
    FurnaceTile *tileOf(TForm1 *window) const;

private:
    /// A tile per window, in the windows' order.
    void rebuild();
    void refresh(TForm1 *window);

    FurnaceWindows &m_windows;
    quint8 m_language = 1;
    QGridLayout *m_grid = nullptr;
    QLabel *lblEmpty = nullptr;
    QHash<TForm1 *, FurnaceTile *> m_tiles;
};
