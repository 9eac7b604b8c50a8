// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <memory>

class QTranslator;

/// Qt's own texts (standard buttons, the file dialogs' labels) in the console's language: the
/// toolkit's Russian translation is installed into the application for Russian and removed
/// again for English.
class ToolkitTranslation
{
public:
    ToolkitTranslation();
    ~ToolkitTranslation();
    ToolkitTranslation(const ToolkitTranslation &) = delete;
    ToolkitTranslation &operator=(const ToolkitTranslation &) = delete;

    /// Switches to `language` (0 Russian, 1 English). False when the toolkit has no translation
    /// for it here (its texts then stay English).
    bool setLanguage(quint8 language);

private:
    std::unique_ptr<QTranslator> m_russian;
    bool m_loaded = false;
    bool m_installed = false;
};
