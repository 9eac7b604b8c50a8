// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

/// Settings of one file dialog of the main window (title, filter, default extension); the
/// dialog itself is shown through the Dialogs interface.
class FileDialogSettings : public QObject
{
    Q_OBJECT
public:
    FileDialogSettings(const QString &name, const QString &filter, const QString &defaultSuffix,
                       QObject *parent)
        : QObject(parent)
        , filter(filter)
        , defaultSuffix(defaultSuffix)
    {
        setObjectName(name);
    }

    QString title;
    QString filter;
    QString defaultSuffix;
};
