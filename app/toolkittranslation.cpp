// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/toolkittranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

ToolkitTranslation::ToolkitTranslation()
    : m_russian(std::make_unique<QTranslator>())
{
}

ToolkitTranslation::~ToolkitTranslation()
{
    if (m_installed)
        QCoreApplication::removeTranslator(m_russian.get());
}

bool ToolkitTranslation::setLanguage(quint8 language)
{
    if (language != 0) {
        if (m_installed)
            QCoreApplication::removeTranslator(m_russian.get());
        m_installed = false;
        return true;
    }
    if (!m_loaded)
        m_loaded = m_russian->load(QStringLiteral("qtbase_ru"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (m_loaded && !m_installed)
        m_installed = QCoreApplication::installTranslator(m_russian.get());
    return m_installed;
}
