// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/dialogs.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLabel;

/// The port selection window shown at start-up: lists the ports that can be opened now and
/// lets the user pick the language before anything else. Choosing a port closes it accepted.
class TfSelPort : public QDialog
{
    Q_OBJECT
public:
    explicit TfSelPort(QWidget *parent = nullptr);

    /// Prepares a showing: the language in force and where the port list comes from.
    void prepare(quint8 language, PortWindowHooks hooks);
    quint8 language() const { return m_language; }
    /// The chosen port (valid after the window was accepted).
    QString portName() const { return m_portName; }

    void FormShow();
    void cmbSelPortDropDown();
    void cmbSelPortChange(int index);
    void mmRussianClick();
    void mmEnglishClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setLanguage(quint8 language);

    QLabel *Label1 = nullptr;
    QComboBox *cmbSelPort = nullptr;
    QAction *mmRussian = nullptr;
    QAction *mmEnglish = nullptr;
    quint8 m_language = 1;
    QString m_portName;
    PortWindowHooks m_hooks;
};
