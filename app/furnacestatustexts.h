// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/furnacestatus.h"
#include "common/textpair.h"

/// The texts the views of several furnaces (the lab overview, the status page) say of each one.
namespace FurnaceStatusTexts
{

inline constexpr TextPair NoWindows{"Нет открытых окон печей.", "No furnace window is open."};
inline constexpr TextPair NoPort{"порт не выбран", "no port chosen"};
inline constexpr TextPair Answering{"отвечает", "answering"};
inline constexpr TextPair Silent{"не отвечает", "not answering"};
inline constexpr TextPair Reconnecting{"переподключение", "reconnecting"};
inline constexpr TextPair Closed{"порт закрыт", "no port open"};
inline constexpr TextPair Vacuum{"вакуум %1 %", "vacuum %1 %"};
inline constexpr TextPair Step{"шаг %1 из 20", "step %1 of 20"};
inline constexpr TextPair EndsAt{"окончание ≈ %1", "ends ≈ %1"};
inline constexpr TextPair NoProgram{"программа не выполняется", "no program running"};
inline constexpr TextPair Fault{"Неисправность: %1", "Fault: %1"};
inline constexpr TextPair Progress{"Выполнено", "Progress"};

/// How the furnace's link fares, in words.
inline const TextPair &LinkText(FurnaceStatus::Link link)
{
    switch (link) {
    case FurnaceStatus::Link::Answering:
        return Answering;
    case FurnaceStatus::Link::Silent:
        return Silent;
    case FurnaceStatus::Link::Reconnecting:
        return Reconnecting;
    case FurnaceStatus::Link::Closed:
        break;
    }
    return Closed;
}

/// "port · furnace", the port alone before the furnace named itself.
inline QString TitleOf(const FurnaceStatus &s, quint8 language)
{
    const QString port = s.port.isEmpty() ? NoPort.text(language) : s.port;
    return s.furnace.isEmpty() ? port : port + QStringLiteral(" · ") + s.furnace;
}

} // namespace FurnaceStatusTexts
