// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Unit6_selport.h"

#include "common/textpair.h"
#include "link/dropdowncombobox.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

namespace
{

constexpr TextPair Caption{"Выбор порта", "COM-port sets"};
constexpr TextPair Prompt{"Выбрать порт, к которому подключена печь",
                          "Set COM-port which have furnace connected"};

} // namespace

TfSelPort::TfSelPort(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fSelPort"));
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    setFont(font);

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto *mmLanguage = new QMenu(QStringLiteral("&Language"), bar);
    mmLanguage->setObjectName(QStringLiteral("mmLanguage"));
    mmRussian = mmLanguage->addAction(QStringLiteral("Русский"));
    mmRussian->setObjectName(QStringLiteral("mmRussian"));
    mmEnglish = mmLanguage->addAction(QStringLiteral("English"));
    mmEnglish->setObjectName(QStringLiteral("mmEnglish"));
    auto *group = new QActionGroup(this);
    for (QAction *a : {mmRussian, mmEnglish}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    mmEnglish->setChecked(true);
    bar->addMenu(mmLanguage);
    connect(mmRussian, &QAction::triggered, this, &TfSelPort::mmRussianClick);
    connect(mmEnglish, &QAction::triggered, this, &TfSelPort::mmEnglishClick);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    Label1 = new QLabel;
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setFixedWidth(157);
    layout->addWidget(Label1);
    auto *combo = new DropDownComboBox;
    combo->aboutToShow = [this] { cmbSelPortDropDown(); };
    cmbSelPort = combo;
    cmbSelPort->setObjectName(QStringLiteral("cmbSelPort"));
    cmbSelPort->setEditable(false);
    layout->addWidget(cmbSelPort);
    connect(cmbSelPort, &QComboBox::activated, this, &TfSelPort::cmbSelPortChange);
}

void TfSelPort::prepare(quint8 language, PortWindowHooks hooks)
{
    m_language = language;
    m_hooks = std::move(hooks);
    m_portName.clear();
    cmbSelPort->clear();
    (language == 0 ? mmRussian : mmEnglish)->setChecked(true);
}

void TfSelPort::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfSelPort::FormShow()
{
    setWindowTitle(Caption.text(m_language));
    Label1->setText(Prompt.text(m_language));
    Label1->setFixedWidth(157);
    // The window does not follow a wrapped label's height by itself: the prompt would be cut.
    Label1->setFixedHeight(Label1->heightForWidth(157));
    adjustSize();
}

void TfSelPort::cmbSelPortDropDown()
{
    if (m_hooks.droppedDown)
        m_hooks.droppedDown();
    cmbSelPort->clear();
    if (m_hooks.listPorts)
        cmbSelPort->addItems(m_hooks.listPorts());
}

void TfSelPort::cmbSelPortChange(int index)
{
    if (index < 0)
        return;
    m_portName = cmbSelPort->itemText(index);
    accept();
}

void TfSelPort::mmRussianClick()
{
    setLanguage(0);
}

void TfSelPort::mmEnglishClick()
{
    setLanguage(1);
}

void TfSelPort::setLanguage(quint8 language)
{
    if (m_language == language)
        return;
    m_language = language;
    (language == 0 ? mmRussian : mmEnglish)->setChecked(true);
    FormShow();
}
