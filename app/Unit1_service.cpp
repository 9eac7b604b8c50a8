// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: the Settings menu's service windows.

#include "app/Unit1.h"

#include "app/texts.h"
#include "link/link.h"
#include "service/Unit3_services.h"
#include "service/Unit4.h"
#include "service/Unit5_offices.h"
#include "service/servicelogic.h"
#include "service/servicetexts.h"

#include <QAction>
#include <QMenu>

struct TForm1::ServiceWindows {
    std::unique_ptr<TFormServices> services;
    std::unique_ptr<TFormOffices> offices;
    std::unique_ptr<TTuneReper> tuneReper;
};

void TForm1::ServiceWindowsDeleter::operator()(ServiceWindows *windows) const
{
    delete windows;
}

void TForm1::connectServiceHandlers()
{
    m_serviceWindows.reset(new ServiceWindows);
    connect(mmAddition, &QMenu::aboutToShow, this, &TForm1::mmAdditionClick);
    connect(mmServiceBasic, &QAction::triggered, this, &TForm1::mmServiceBasicClick);
    connect(mmServiceTuneReper, &QAction::triggered, this, &TForm1::mmServiceTuneReperClick);
    connect(mmOffice, &QAction::triggered, this, &TForm1::mmOfficeClick);

    setOfficesRefresh([this] {
        if (m_serviceWindows->offices)
            m_serviceWindows->offices->refreshLive();
    });
    setServiceProgress([this](quint8 mode) {
        ServiceWindows &w = *m_serviceWindows;
        switch (mode) {
        case ConsoleMode::DriveCalibration:
            if (w.services)
                w.services->DriveCalibrationStep();
            break;
        case ConsoleMode::VacuumCalibration:
            if (w.services)
                w.services->VacuumCalibrationStep();
            break;
        case ConsoleMode::OverheatAdjust:
            if (w.offices)
                w.offices->OverheatAdjustStep();
            break;
        case ConsoleMode::ReperRun:
            if (w.offices)
                w.offices->ReperRunStep();
            break;
        case ConsoleMode::ReperTuning:
            if (w.tuneReper)
                w.tuneReper->ReperTuningStep();
            break;
        default:
            break;
        }
    });
}

void TForm1::mmAdditionClick()
{
    m_link->request(RequestKind::ReadServiceBlock);
}

void TForm1::mmServiceBasicClick()
{
    auto &window = m_serviceWindows->services;
    if (!window)
        window = std::make_unique<TFormServices>(*m_link, m_console, m_dialogs, this);
    window->fillFromImage();
    m_dialogs.showModal(*window);
}

void TForm1::mmServiceTuneReperClick()
{
    // The tuning would take over from a calibration still running from the services window.
    if (m_console.ConsoleMode != ConsoleMode::Idle) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(ServiceTexts::Attention),
                          tx(ServiceTexts::ProcessInProgress));
        return;
    }
    m_console.ConsoleMode = ConsoleMode::ReperTuning;
    m_link->image().ServiceStep = 0;
    auto &window = m_serviceWindows->tuneReper;
    if (!window)
        window = std::make_unique<TTuneReper>(*m_link, m_console, this);
    window->fillFromBlock();
    m_link->request(RequestKind::StartReperTuning);
    m_dialogs.showModal(*window);
    // Whatever the state of the run, closing the window ends it.
    m_console.ConsoleMode = ConsoleMode::Idle;
    m_link->request(RequestKind::Stop);
}

void TForm1::mmOfficeClick()
{
    NameRequest request;
    request.caption = tx(Texts::PasswordCaption);
    request.prompt = tx(Texts::PasswordPrompt);
    request.password = true;
    request.language = m_console.Language;
    const std::optional<QString> code = m_dialogs.askName(this, request);
    if (!code)
        return;
    if (!Service::IsAccessCode(*code)) {
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::ErrorCaption),
                          tx(Texts::IncorrectPassword));
        return;
    }
    auto &window = m_serviceWindows->offices;
    if (!window)
        window = std::make_unique<TFormOffices>(*m_link, m_console, m_dialogs, this);
    window->fillFromBlock();
    m_console.OfficesWindowOpen = true;
    m_dialogs.showModal(*window);
    m_console.OfficesWindowOpen = false;
}
