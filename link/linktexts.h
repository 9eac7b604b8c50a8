#pragma once

#include "textpair.h"

#include <array>

/// Texts that only the link shows.
namespace LinkTexts
{

/// Log line when an opened port stops working: %1 the port, %2 the reason.
inline constexpr TextPair PortFailed{" Ошибка: порт %1 вышел из строя (%2); обмен прекращён.",
                                     " Error: port %1 failed (%2); no more data is exchanged."};

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
