// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/dialogs.h"

#include <functional>
#include <memory>

/// The real dialogs: Qt message boxes and file dialogs, the name dialog and the port window.
class WidgetDialogs : public Dialogs
{
public:
    WidgetDialogs();
    ~WidgetDialogs() override;

    void message(QWidget *parent, Icon icon, const QString &caption, const QString &text) override;
    bool question(QWidget *parent, const QString &caption, const QString &text) override;
    void messageLater(QWidget *parent, Icon icon, const QString &caption, const QString &text,
                      std::function<void()> closed) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &defaultSuffix) override;
    QStringList openFileNames(QWidget *parent, const QString &title,
                              const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &defaultSuffix) override;
    QString saveFileNameProposing(QWidget *parent, const QString &title, const QString &filter,
                                  const QString &defaultSuffix, const QString &proposed) override;
    std::optional<QString> askName(QWidget *parent, const NameRequest &request) override;
    std::optional<QString> selectPort(QWidget *parent, quint8 &language,
                                      const PortWindowHooks &hooks) override;
    int showModal(QDialog &window) override;
    bool choosePrinter(QWidget *parent, QPrinter &printer) override;
    SaveAnswer askToSave(QWidget *parent, const SaveQuestion &question) override;

private:
    struct Windows;
    std::unique_ptr<Windows> m_windows;
};
