// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: the serial port and the furnace link.

#include "app/Unit1.h"

#include "app/furnacewindows.h"

#include "app/consolelines.h"
#include "app/glyphlist.h"
#include "app/portaccess.h"
#include "app/texts.h"
#include "link/furnacedisplay.h"
#include "link/link.h"
#include "link/linktexts.h"
#include "link/portlist.h"
#include "link/serialportline.h"
#include "link/transfersequence.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

void TForm1::SelPortClick()
{
    showLayerNumber(QStringLiteral("click"));
    const QString current = cmbSelPort->currentText();
    cmbSelPort->clear();
    cmbSelPort->addItems(portList());
    const int keep = cmbSelPort->findText(current);
    if (keep >= 0)
        cmbSelPort->setCurrentIndex(keep);
}

QStringList TForm1::portList() const
{
    const QStringList ports = m_options.portLister ? m_options.portLister() : ConsolePortList();
    // A port another furnace window holds is not offered; a simulator of its own is.
    return m_options.windows ? m_options.windows->freePorts(ports) : ports;
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
    std::unique_ptr<SerialLine> line =
        m_options.lineFactory
            ? m_options.lineFactory(name)
            : MakeConsoleLine(name, m_options.simulatorSpeed, m_options.simulatorAgeing);
    QString error;
    if (!line || !m_link->open(std::move(line), &error)) {
        log(tx(Texts::LogPortError) + name + tx(Texts::LogPortCantOpen));
        const QString group = DeniedPortGroup(name);
        if (!group.isEmpty())
            log(LogPortAccess.text(m_console.Language).arg(group));
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
    m_caption = QStringLiteral("ZKV4.6 CONSOLE - ") + name;
    setWindowTitle(m_caption);
}

void TForm1::onPortFailed(const QString &reason)
{
    const quint8 lang = m_console.Language;
    log(LinkTexts::PortFailed.text(lang).arg(
        m_link->state().PortName, LinkTexts::LineFaultText(m_link->lineFault(), reason, lang)));
    setPanel(0, tx(Texts::NoFurnace), NoFurnacePanelWidth);
}

void TForm1::onReplyDecoded(const DecodeResult &result)
{
    if (!result.applied)
        return;
    FurnaceImage &image = m_link->image();
    const quint8 lang = m_console.Language;
    switch (Msg(result.type)) {
    case Msg::Identify: {
        const ModelPanel model = ModelPanelText(image);
        setPanel(0, model.text, model.width);
        if (result.unknownModel) {
            // The watchdog must not count the time the box is up.
            Timer1->stop();
            m_dialogs.message(this, Dialogs::Icon::Error, LinkTexts::Attention.text(lang),
                              UnknownModelText(image.FurnaceModelId, lang));
            image.UnknownModelReported = true;
            Timer1->start();
        }
        break;
    }
    case Msg::Status: {
        setPanel(2, QString::number(image.CurrentZone));
        sbTemperature->setText(TemperatureCaption(image));
        lblVacEconMode->setText(EconomyLabel(image));
        sbPressure->setText(PressureCaption(image));
        lblChamberState->setText(ChamberStateText(image.ChamberStatus, lang));
        // Set only when it changes: a button given an icon lays out the whole window again.
        const GlyphList *glyphs = ImageList1;
        for (auto [button, glyph] : {std::pair{sbTemperature, TemperatureGlyph(image)},
                                     std::pair{sbPressure, PressureGlyph(image)}}) {
            const QIcon icon = glyphs->icon(glyph);
            if (button->icon().cacheKey() != icon.cacheKey())
                button->setIcon(icon);
        }
        break;
    }
    case Msg::ReadSupportTemp:
        lblTsupport->setText(SupportTempText(image.SupportTempRead));
        break;
    case Msg::ReadClock:
        lblTime->setText(ClockTimeText(image));
        lblDate->setText(ClockDateText(image));
        break;
    case Msg::ZoneTime:
        setPanel(3, ZoneTimeText(image.ZoneTime));
        break;
    case Msg::ReadControllerMode:
        setPanel(1, ControllerModeText(image.ControllerMode, lang));
        break;
    default:
        break;
    }
    m_accessibleValues.refresh();
}

void TForm1::Timer1Timer()
{
    // The tick opens with the reply watchdog: it is also what re-arms the polls.
    const WatchdogResult watchdog = m_link->watchdogTick(m_console.OfficesWindowOpen);
    applyTick(m_runMonitor.tick(tickInputs(watchdog)), watchdog.timedOut);
    emit statusChanged();
}
