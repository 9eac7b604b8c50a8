// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

#include <QDialog>

#include <array>

struct ConsoleState;
class Link;
class QGroupBox;
class QLabel;

/// The reference-sensor tuning window: shows the sensor's stored operation values, follows
/// the tuning run in the furnace and ends with the difference between the temperature at which
/// the sensor operated and the stored one. The main window starts the run when it opens the
/// window and stops it when the window closes. Created once, shown modally.
class TTuneReper : public QDialog
{
    Q_OBJECT
public:
    TTuneReper(Link &link, ConsoleState &console, QWidget *parent = nullptr);

    /// Opening: the stored operation temperature, count and voltages from the settings block.
    void fillFromBlock();
    void FormShow();
    /// Step handling on each answered tick while ConsoleMode is 27.
    void ReperTuningStep();

public:
    /// FormShow runs as the window is about to show, so that it opens at the size of its texts.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString tx(const TextPair &pair) const;
    /// lbldT's accessible name: what it shows, with what it is.
    void nameResult();

    Link &m_link;
    ConsoleState &m_console;

    QGroupBox *gbTuneReper = nullptr;
    QLabel *lblTwork = nullptr;
    QLabel *lblNwork = nullptr;
    QLabel *lblUrd = nullptr;
    std::array<QLabel *, 3> Uwork{};
    QLabel *lbldT = nullptr;
};
