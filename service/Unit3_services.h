// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "service/servicewidgets.h"

#include <QDialog>

struct ConsoleState;
class Dialogs;
class Link;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The basic services window: support temperature, controller clock, vacuum economy mode,
/// vacuum coefficient and temperature correction, the vacuum and drive calibrations, and the
/// heater's work time and resource. Every change goes to the furnace at once; there is no OK.
///
/// Reads the furnace image and marks requests pending on `link`; reads and sets ConsoleMode
/// and ServicesWindowOpen in `console`. Created once and shown modally by the main window.
class TFormServices : public QDialog
{
    Q_OBJECT
public:
    TFormServices(Link &link, ConsoleState &console, Dialogs &dialogs, QWidget *parent = nullptr);

    /// Opening, before the window shows: every field from the furnace image and the settings
    /// block. Filling is not a change: nothing is sent.
    void fillFromImage();

    void FormShow();
    void FormClose();
    void edtTsupportChange();
    void cmbTimeHChange() { storeClockSet(); }
    void cmbTimeMChange() { storeClockSet(); }
    void cmbDateDChange() { storeClockSet(); }
    void cmbDateMChange() { storeClockSet(); }
    void cmbDateYChange() { storeClockSet(); }
    void cmbEconomModeChange();
    void udKvacClick(UpDown::Button button);
    void udCorrectionTClick(UpDown::Button button);
    void btRunVacCalibrClick();
    void btDriveCalibrClick();

    /// Step handling of the calibrations, on each answered tick while ConsoleMode is 21 or 16.
    void VacuumCalibrationStep();
    void DriveCalibrationStep();

public:
    /// FormShow runs as the window is about to show, so that it opens at the size of its texts.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    /// The five clock lists into ClockSet, then the clock goes to the furnace (only while the
    /// window is shown: filling it on opening is not a change).
    void storeClockSet();
    /// A calibration button's state: caption, tag (1 running) and which buttons may be used.
    void setRunning(QPushButton *button, bool running);
    void updateCalibrationButtons();
    void setKvacAdjustable(bool adjustable);
    /// The accessible names of the controls that show a value or a changing caption: what
    /// they show, with what it is.
    void nameValues();
    /// After a procedure that changed the controller's settings block: read it again, unless a
    /// write of ours is still waiting (the read would overwrite it before it goes out).
    void reloadBlock();
    QString tx(const TextPair &pair) const;

    Link &m_link;
    ConsoleState &m_console;
    Dialogs &m_dialogs;
    bool m_kvacAdjustable = false;

    QGroupBox *gbTsupport = nullptr;
    QLineEdit *edtTsupport = nullptr;
    QGroupBox *gbTimeDate = nullptr;
    QComboBox *cmbTimeH = nullptr;
    QComboBox *cmbTimeM = nullptr;
    QLabel *lblTimeSec = nullptr;
    QComboBox *cmbDateD = nullptr;
    QComboBox *cmbDateM = nullptr;
    QComboBox *cmbDateY = nullptr;
    QGroupBox *gpVacuumTract = nullptr;
    QGroupBox *gbVacCalibrate = nullptr;
    QLineEdit *edtKvac = nullptr;
    UpDown *udKvac = nullptr;
    QPushButton *btRunVacCalibr = nullptr;
    QGroupBox *gbEconomMode = nullptr;
    QComboBox *cmbEconomMode = nullptr;
    QGroupBox *gbCorrectionT = nullptr;
    QLineEdit *edtCorrectionT = nullptr;
    UpDown *udCorrectionT = nullptr;
    QGroupBox *gbDriveCalibr = nullptr;
    QLabel *lblTimeOpen = nullptr;
    QLabel *lblTimeClose = nullptr;
    QPushButton *btDriveCalibr = nullptr;
    QGroupBox *gbWorkTime = nullptr;
    QLabel *lblWorkTime = nullptr;
    QGroupBox *gbCntrTen = nullptr;
    QLabel *lblCntrTen = nullptr;
};
