// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "link/serialline.h"

#include <array>

/// Texts that only the link shows.
namespace LinkTexts
{

/// Log line when an opened port stops working: %1 the port, %2 the reason (LineFaultText).
inline constexpr TextPair PortFailed{
    " Ошибка: порт %1 вышел из строя (%2); попытка открыть его снова каждые 2 с.",
    " Error: port %1 failed (%2); trying to open it again every 2 s."};
/// Log line when reopening a failed port fails for a reason not logged before: %1 the port,
/// %2 the reason (LineFaultText).
inline constexpr TextPair PortStillDown{" Порт %1 пока не открывается (%2).",
                                        " Port %1 can't be opened yet (%2)."};

/// Why a line failed, in plain words. A fault without words of its own shows the system's
/// text, `detail`.
inline QString LineFaultText(LineFault fault, const QString &detail, quint8 language)
{
    constexpr TextPair Disconnected{"устройство отключено", "the device was disconnected"};
    constexpr TextPair NotTakingData{"устройство перестало принимать данные",
                                     "the device stopped taking data"};
    constexpr TextPair NotFound{"устройства нет", "the device is not there"};
    constexpr TextPair Busy{"устройство занято или нет доступа",
                            "the device is in use or access is denied"};
    constexpr TextPair Unknown{"неизвестная ошибка", "unknown error"};
    switch (fault) {
    case LineFault::Disconnected:
        return Disconnected.text(language);
    case LineFault::NotTakingData:
        return NotTakingData.text(language);
    case LineFault::NotFound:
        return NotFound.text(language);
    case LineFault::Busy:
        return Busy.text(language);
    case LineFault::None:
    case LineFault::Other:
        break;
    }
    return detail.isEmpty() ? Unknown.text(language) : detail;
}

/// Chamber position states 0..4 (lblChamberState).
inline constexpr std::array<TextPair, 5> ChamberStates = {{
    {"Приоткрыта", "Half-open"},
    {"Закрывается", "Closing"},
    {"Открывается", "Opening"},
    {"Закрыта", "Closed"},
    {"Открыта", "Opened"},
}};
/// Position states the controller is not expected to send (5..7): %1 the value.
inline constexpr TextPair ChamberUnknown{"Положение %1?", "Position %1?"};

struct ModeText {
    quint8 mode;
    TextPair text;
};
/// Controller modes (status-bar panel 1); other modes show their number.
inline constexpr std::array<ModeText, 6> ControllerModes = {{
    {0, {"Поддержание", "Поддержание"}},
    {16, {"Калибр. двигателя", "Drive calibration"}},
    {21, {"Калибр. вакуума", "Vacuum calibration"}},
    {22, {"Настройка защиты", "Overheat adjustment"}},
    {26, {"ОШИБКА", "ERROR"}},
    {32, {"Программа", "Program"}},
}};

/// The unknown-model box: this text, the code in decimal, then ").".
inline constexpr TextPair UnknownModel{"Неизвестный тип печи (id=", "Unknown furnace model (id="};
inline constexpr TextPair Attention{"Внимание", "Attention"};

} // namespace LinkTexts
