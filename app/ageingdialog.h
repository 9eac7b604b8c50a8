// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/simfurnace.h"

#include <QDialog>

class QDoubleSpinBox;
class QLabel;

/// Settings → Simulated furnace ageing...: how worn the built-in simulator's furnace is (its
/// heating element, its vacuum system, its thermocouple), so that the furnace health can be
/// tried without an old furnace. objectName "AgeingDialog".
class AgeingDialog : public QDialog
{
    Q_OBJECT
public:
    AgeingDialog(const SimAgeing &ageing, quint8 language, QWidget *parent = nullptr);
    /// The ageing as the fields give it.
    SimAgeing ageing() const;

private:
    QDoubleSpinBox *edHeaterPower = nullptr;
    QDoubleSpinBox *edVacuumLeak = nullptr;
    QDoubleSpinBox *edThermocoupleOffset = nullptr;
};
