// Main window: the serial port and the furnace link.

#include "Unit1.h"

#include "link.h"
#include "linktexts.h"
#include "portlist.h"
#include "serialportline.h"
#include "texts.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

void TForm1::SelPortClick()
{
    lblMassSel->setText(QStringLiteral("click"));
    const QString current = cmbSelPort->currentText();
    cmbSelPort->clear();
    const QStringList ports = m_options.portLister
                                  ? m_options.portLister()
                                  : OpenablePorts(SystemPortNames(), &SerialPortLine::canOpen);
    cmbSelPort->addItems(ports);
    const int keep = cmbSelPort->findText(current);
    if (keep >= 0)
        cmbSelPort->setCurrentIndex(keep);
}

void TForm1::cmbSelPortClick()
{
    m_link->state().PortName = cmbSelPort->currentText();
}

void TForm1::cmbSelPortChange()
{
    const QString name = m_link->state().PortName;
    if (name.isEmpty() || m_link->isRunning())
        return;
    std::unique_ptr<SerialLine> line = m_options.lineFactory
                                           ? m_options.lineFactory(name)
                                           : std::make_unique<SerialPortLine>(name);
    QString error;
    if (!line || !m_link->open(std::move(line), &error)) {
        log(tx(Texts::LogPortError) + name + tx(Texts::LogPortCantOpen));
        return;
    }
    log(QStringLiteral(" ") + name + tx(Texts::LogPortOpened));
    cmbSelPort->setEnabled(false);
    QPalette pal = cmbSelPort->palette();
    pal.setColor(QPalette::Button, palette().color(QPalette::Window));
    pal.setColor(QPalette::Base, palette().color(QPalette::Window));
    cmbSelPort->setPalette(pal);
    for (QWidget *w :
         std::initializer_list<QWidget *>{btnSend, sbChamberOpen, sbChamberClose, sbRst})
        w->setEnabled(true);
    if (lbLayers->currentRow() >= 0)
        sbStartPrg->setEnabled(true);
    setWindowTitle(QStringLiteral("ZKV4.6 CONSOLE - ") + name);
}

void TForm1::onPortFailed(const QString &reason)
{
    log(LinkTexts::PortFailed.text(m_console.Language).arg(m_link->state().PortName, reason));
    m_panels[0]->setFixedWidth(70);
    m_panels[0]->setText(tx(Texts::NoFurnace));
}
