#pragma once

#include <QString>

/// The language a text is shown in. The byte value is what the console keeps in `Language`.
enum class Lang : quint8 { Russian = 0, English = 1 };

/// One message in both languages: member 0 Russian, member 1 English (UTF-8 in the sources).
struct TextPair {
    const char *ru;
    const char *en;

    /// The member for `language` (0 Russian, anything else English).
    QString text(quint8 language) const { return QString::fromUtf8(language == 0 ? ru : en); }
};
