// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

/// What the name dialog is asked for: its caption, prompt, note, whether only digits may be
/// typed, and the text to preset (none: keep the text of the previous use).
struct NameRequest {
    QString caption;
    QString prompt;
    QString note;
    bool numeric = false;
    std::optional<QString> preset;
    /// Refuses an entered text with a message (the dialog stays open); empty text accepts.
    std::function<QString(const QString &)> validate;
    /// Language of the dialog's own messages (0 Russian, 1 English).
    quint8 language = 1;
    /// Names: blanks typed at either end are dropped (the preset, left unchanged, is kept as
    /// it is). A preset longer than the typing limit is shown whole.
    bool trimBlanks = false;
    /// Asks for a password: the field starts empty and shows "*" for each character; after
    /// the dialog it is plain and empty again, whatever the answer.
    bool password = false;
};

/// What the port window needs from its caller: the ports to offer when its list drops down,
/// and a hook run at that moment.
struct PortWindowHooks {
    std::function<QStringList()> listPorts;
    std::function<void()> droppedDown;
};

/// The question asked before unsaved changes would be lost, with its three buttons' texts.
struct SaveQuestion {
    QString caption;
    QString text;
    QString save;    ///< saves, and goes on only when the save succeeded
    QString discard; ///< goes on without saving
    QString cancel;  ///< goes back, nothing lost
};

/// Every modal interaction of the console (message boxes, questions, file dialogs, the name
/// dialog, the port window) goes through this interface, so that tests can script the answers
/// and fail on a box nobody expected. All calls are made on the user-interface thread.
class Dialogs
{
public:
    enum class Icon { Information, Warning, Error, Question };

    virtual ~Dialogs() = default;

    /// A modal box with an OK button.
    virtual void message(QWidget *parent, Icon icon, const QString &caption,
                         const QString &text) = 0;
    /// A modal OK/Cancel question; true when OK was chosen.
    virtual bool question(QWidget *parent, const QString &caption, const QString &text) = 0;
    /// A box that does not block the caller (timer ticks go on while it is up); `closed` runs
    /// once when the user has closed it.
    virtual void messageLater(QWidget *parent, Icon icon, const QString &caption,
                              const QString &text, std::function<void()> closed) = 0;
    /// File to open; empty when cancelled. `filter` uses Qt's "Name (*.ext);;..." form.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &defaultSuffix) = 0;
    /// Files to open, several at once; empty when cancelled. By default the one-file dialog
    /// above.
    virtual QStringList openFileNames(QWidget *parent, const QString &title, const QString &filter)
    {
        const QString file = openFileName(parent, title, filter, QString());
        return file.isEmpty() ? QStringList() : QStringList{file};
    }
    /// File to save into; empty when cancelled. The standard title is used when `title` is empty.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &defaultSuffix) = 0;
    /// File to save into, proposing `proposed` (folder and name; empty: none). By default the
    /// dialog above, without a proposal.
    virtual QString saveFileNameProposing(QWidget *parent, const QString &title,
                                          const QString &filter, const QString &defaultSuffix,
                                          const QString &proposed)
    {
        Q_UNUSED(proposed);
        return saveFileName(parent, title, filter, defaultSuffix);
    }
    /// The name dialog; the entered text, or nothing when cancelled.
    virtual std::optional<QString> askName(QWidget *parent, const NameRequest &request) = 0;
    /// The port selection window at start-up. It may switch `language`; it returns the chosen
    /// port, or nothing when closed without a choice.
    virtual std::optional<QString> selectPort(QWidget *parent, quint8 &language,
                                              const PortWindowHooks &hooks)
    {
        Q_UNUSED(parent);
        Q_UNUSED(language);
        Q_UNUSED(hooks);
        return std::nullopt;
    }

    /// Shows one of the console's own windows (the service windows) modally and returns when
    /// it has closed, with its result.
    virtual int showModal(QDialog &window)
    {
        Q_UNUSED(window);
        return 0;
    }

    /// The print dialog for `printer`: true when the user chose to print, with the choices
    /// made in `printer`.
    virtual bool choosePrinter(QWidget *parent, QPrinter &printer)
    {
        Q_UNUSED(parent);
        Q_UNUSED(printer);
        return false;
    }

    enum class SaveAnswer { Save, Discard, Cancel };
    /// Asks whether to save changes before they are lost: Save, Don't save or Cancel (closing
    /// the box is Cancel). By default the OK/Cancel question, OK meaning Save, so that no
    /// answer of it loses anything.
    virtual SaveAnswer askToSave(QWidget *parent, const SaveQuestion &question)
    {
        return this->question(parent, question.caption, question.text) ? SaveAnswer::Save
                                                                       : SaveAnswer::Cancel;
    }
};
