// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "service/servicewidgets.h"

#include <QDialog>

#include <array>

struct ConsoleState;
class Dialogs;
class Link;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

/// The factory settings window, behind the access code: the controller's raw measurements,
/// its settings block field by field, the counter resets, and the overheat adjustment and the
/// reference-temperature determination.
///
/// Edits go into the furnace image's copy of the settings block; leaving a field sends the
/// whole block. Reads and sets ConsoleMode and OfficesWindowOpen in `console`. Created once
/// and shown modally by the main window; it does not close while one of its procedures runs.
class TFormOffices : public QDialog
{
    Q_OBJECT
public:
    static constexpr int FieldCount = 13;

    TFormOffices(Link &link, ConsoleState &console, Dialogs &dialogs, QWidget *parent = nullptr);

    /// Opening, before the window shows: the thirteen fields from the settings block, the
    /// sensor's count, no procedure text. Filling is not a change.
    void fillFromBlock();

    void FormShow();
    /// Closing: refused (with a message) while one of the window's procedures runs.
    bool FormClose();
    /// The live values, on every answered tick while the window is open.
    void refreshLive();

    void udTambientClick(UpDown::Button button);
    /// A settings field's text changed (edtTcouple_offsetChange ... edtTrepChange): `field`
    /// indexes Service::ParameterFields.
    void edtChange(int field);
    /// Leaving settings field `field`: the whole block goes to the furnace.
    void edtExit(int field);
    void btnRstWorkTimeClick();
    void btnRstResourseClick();
    void sbWorkTimeClick();
    void sbCntrTenClick();
    void btnStartOverheatAdjustClick();
    void btnRunTreperClick();

    /// Step handling on each answered tick while ConsoleMode is 22 or 28.
    void OverheatAdjustStep();
    void ReperRunStep();

    QLineEdit *field(int i) const { return m_fields[size_t(i)]; }

public:
    /// FormShow runs as the window is about to show, so that it opens at the size of its texts.
    void setVisible(bool visible) override;

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    QString tx(const TextPair &pair) const;
    /// The procedure buttons: each usable while nothing else runs.
    void updateProcedureButtons();
    void endOverheatAdjust();
    /// The reference sensor's result and count from the settings block as last read.
    void showReperResult();
    /// The accessible names of the controls that show a value or a changing caption: what
    /// they show, with what it is.
    void nameValues();
    int fieldIndex(const QObject *object) const;

    Link &m_link;
    ConsoleState &m_console;
    Dialogs &m_dialogs;
    /// The field typed into since it was last left, or -1.
    int m_editedField = -1;
    /// After a reference-temperature run: its result follows the settings block read after it.
    bool m_reperResultPending = false;
    bool m_inExit = false;

    QGroupBox *gbTambient = nullptr;
    QLineEdit *edtTambient = nullptr;
    UpDown *udTambient = nullptr;
    QGroupBox *gbADCMeasures = nullptr;
    std::array<QLabel *, 6> m_adcNames{};
    std::array<QLabel *, 6> m_adcValues{};
    std::array<QLabel *, 9> m_mvUnits{};
    QGroupBox *gbEEPROM = nullptr;
    std::array<QLabel *, 9> m_eepromLabels{};
    std::array<QLineEdit *, FieldCount> m_fields{};
    QGroupBox *gbWorkTime = nullptr;
    QToolButton *sbWorkTime = nullptr;
    QPushButton *btnRstWorkTime = nullptr;
    QGroupBox *gbCntrTen = nullptr;
    QToolButton *sbCntrTen = nullptr;
    QPushButton *btnRstResourse = nullptr;
    QGroupBox *gbOverheatAdjustment = nullptr;
    QPushButton *btnStartOverheatAdjust = nullptr;
    QGroupBox *gbReperSensor = nullptr;
    std::array<QLabel *, 4> m_reperLabels{};
    QLabel *lblReper = nullptr;
    QLabel *lblTuneReper = nullptr;
    QPushButton *btnRunTreper = nullptr;
};
