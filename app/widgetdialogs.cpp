// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/widgetdialogs.h"

#include "library/Unit2.h"
#include "link/Unit6_selport.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>

namespace
{

QMessageBox::Icon boxIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString runFileDialog(QWidget *parent, QFileDialog::AcceptMode mode, const QString &title,
                      const QString &filter, const QString &defaultSuffix,
                      const QString &proposed = QString())
{
    QFileDialog dialog(parent, title, QString(), filter);
    if (!proposed.isEmpty()) {
        // The folder is opened, the name typed in; a folder that is not there is not offered
        // (the dialog would take the whole path as a name in its current folder).
        const QFileInfo info(proposed);
        if (info.isAbsolute() && info.absoluteDir().exists())
            dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // Writing into an existing file is not asked about: the file is rewritten whole.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

/// The dialogs created on first use and kept until the program ends.
struct WidgetDialogs::Windows {
    std::unique_ptr<TAddMass> nameDialog;
    std::unique_ptr<TfSelPort> portWindow;
};

WidgetDialogs::WidgetDialogs()
    : m_windows(std::make_unique<Windows>())
{
}

WidgetDialogs::~WidgetDialogs() = default;

void WidgetDialogs::message(QWidget *parent, Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool WidgetDialogs::question(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    return box.exec() == QMessageBox::Ok;
}

void WidgetDialogs::messageLater(QWidget *parent, Icon icon, const QString &caption,
                                 const QString &text, std::function<void()> closed)
{
    auto *box = new QMessageBox(boxIcon(icon), caption, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    QObject::connect(box, &QMessageBox::finished, box, [closed = std::move(closed)] {
        if (closed)
            closed();
    });
    box->open();
}

QString WidgetDialogs::openFileName(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &defaultSuffix)
{
    return runFileDialog(parent, QFileDialog::AcceptOpen, title, filter, defaultSuffix);
}

QStringList WidgetDialogs::openFileNames(QWidget *parent, const QString &title,
                                         const QString &filter)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString WidgetDialogs::saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &defaultSuffix)
{
    return runFileDialog(parent, QFileDialog::AcceptSave, title, filter, defaultSuffix);
}

QString WidgetDialogs::saveFileNameProposing(QWidget *parent, const QString &title,
                                             const QString &filter, const QString &defaultSuffix,
                                             const QString &proposed)
{
    return runFileDialog(parent, QFileDialog::AcceptSave, title, filter, defaultSuffix, proposed);
}

std::optional<QString> WidgetDialogs::askName(QWidget *parent, const NameRequest &request)
{
    Q_UNUSED(parent);
    if (!m_windows->nameDialog)
        m_windows->nameDialog = std::make_unique<TAddMass>(*this);
    m_windows->nameDialog->setLanguage(request.language);
    return m_windows->nameDialog->ask(request, request.validate);
}

std::optional<QString> WidgetDialogs::selectPort(QWidget *parent, quint8 &language,
                                                 const PortWindowHooks &hooks)
{
    Q_UNUSED(parent);
    if (!m_windows->portWindow)
        m_windows->portWindow = std::make_unique<TfSelPort>();
    TfSelPort &window = *m_windows->portWindow;
    window.prepare(language, hooks);
    const bool chosen = window.exec() == QDialog::Accepted;
    language = window.language();
    if (!chosen || window.portName().isEmpty())
        return std::nullopt;
    return window.portName();
}

int WidgetDialogs::showModal(QDialog &window)
{
    return window.exec();
}

bool WidgetDialogs::choosePrinter(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

Dialogs::SaveAnswer WidgetDialogs::askToSave(QWidget *parent, const SaveQuestion &question)
{
    QMessageBox box(QMessageBox::Question, question.caption, question.text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("SaveChangesBox"));
    const std::pair<QMessageBox::StandardButton, QString> buttons[] = {
        {QMessageBox::Save, question.save},
        {QMessageBox::Discard, question.discard},
        {QMessageBox::Cancel, question.cancel}};
    for (const auto &[which, text] : buttons) {
        QAbstractButton *button = box.button(which);
        button->setText(text);
        button->setAccessibleName(text);
    }
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveAnswer::Save;
    case QMessageBox::Discard:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;
    }
}
