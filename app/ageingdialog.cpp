// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ageingdialog.h"

#include "common/textpair.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace
{

constexpr TextPair Title{"Старение имитатора печи", "Simulated furnace ageing"};
constexpr TextPair Explanation{
    "Имитатор ведёт себя как изношенная печь: слабеющий нагревательный элемент, негерметичная "
    "вакуумная система, термопара со смещением. Состояние печи замечает это по обжигам.",
    "The simulator behaves like a worn furnace: a weakening heating element, a leaking vacuum "
    "system, a thermocouple that reads off. The furnace health notices it from the firings."};
constexpr TextPair HeaterPower{"Мощность нагревателя, % от новой:",
                               "Heater power, % of a new one:"};
constexpr TextPair VacuumLeak{"Натекание, доля скорости насоса:",
                              "Vacuum leak, share of the pump's speed:"};
constexpr TextPair Offset{"Смещение термопары, °C:", "Thermocouple offset, °C:"};

} // namespace

AgeingDialog::AgeingDialog(const SimAgeing &ageing, quint8 language, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AgeingDialog"));
    setWindowTitle(Title.text(language));
    auto field = [this](const char *name, double low, double high, double step, int decimals,
                        double value) {
        auto *f = new QDoubleSpinBox(this);
        f->setObjectName(QString::fromLatin1(name));
        f->setRange(low, high);
        f->setSingleStep(step);
        f->setDecimals(decimals);
        f->setValue(value);
        return f;
    };
    edHeaterPower = field("edHeaterPower", 0, 100, 1, 0, ageing.heaterPowerPercent);
    edVacuumLeak = field("edVacuumLeak", 0, SimAgeing::MaxVacuumLeak, 0.05, 2, ageing.vacuumLeak);
    edThermocoupleOffset = field("edThermocoupleOffset", -SimAgeing::MaxThermocoupleOffset,
                                 SimAgeing::MaxThermocoupleOffset, 1, 0, ageing.thermocoupleOffset);

    auto *text = new QLabel(Explanation.text(language), this);
    text->setWordWrap(true);
    auto *form = new QFormLayout;
    const std::pair<QDoubleSpinBox *, const TextPair *> rows[] = {{edHeaterPower, &HeaterPower},
                                                                  {edVacuumLeak, &VacuumLeak},
                                                                  {edThermocoupleOffset, &Offset}};
    for (const auto &[edit, label] : rows) {
        form->addRow(label->text(language), edit);
        QString name = label->text(language);
        name.chop(1); // the colon
        edit->setAccessibleName(name);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *v = new QVBoxLayout(this);
    v->addWidget(text);
    v->addLayout(form);
    v->addWidget(buttons);
    setMinimumWidth(420);
}

SimAgeing AgeingDialog::ageing() const
{
    SimAgeing a;
    a.heaterPowerPercent = edHeaterPower->value();
    a.vacuumLeak = edVacuumLeak->value();
    a.thermocoupleOffset = edThermocoupleOffset->value();
    return a;
}
