#pragma once

#include "textpair.h"

/// Texts that only the link shows.
namespace LinkTexts
{

/// Log line when an opened port stops working: %1 the port, %2 the reason.
inline constexpr TextPair PortFailed{" Ошибка: порт %1 вышел из строя (%2); обмен прекращён.",
                                     " Error: port %1 failed (%2); no more data is exchanged."};

} // namespace LinkTexts
