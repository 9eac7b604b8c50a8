// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// One message in both languages: member 0 Russian, member 1 English (UTF-8 in the sources).
struct TextPair {
    const char *ru;
    const char *en;

    /// The member for `language` (0 Russian, anything else English).
    QString text(quint8 language) const { return QString::fromUtf8(language == 0 ? ru : en); }
};
