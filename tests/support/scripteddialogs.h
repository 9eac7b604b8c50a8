// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/dialogs.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <functional>

/// Dialogs for window tests: every box is recorded, every answer comes from the test's script,
/// and a dialog asked for without a scripted answer is recorded as unexpected (and cancelled).
class ScriptedDialogs : public Dialogs
{
public:
    struct Call {
        QString kind; ///< message, question, save changes, later, open, save, name, port
        Icon icon = Icon::Information;
        QString caption;
        QString text;
    };

    QList<Call> calls;
    QStringList unexpected;

    QList<bool> questionAnswers;
    /// Answers to the question whether to save changes, and the last such question asked.
    QList<SaveAnswer> saveChangesAnswers;
    SaveQuestion lastSaveQuestion;
    QList<QString> openAnswers;
    QList<QString> saveAnswers;
    /// What each save dialog proposed (folder and name), in order.
    QStringList saveProposals;
    QList<std::optional<QString>> nameAnswers;
    /// Port window: the answer, and the language the user switched to there (if any).
    QList<std::pair<std::optional<QString>, std::optional<quint8>>> portAnswers;
    PortWindowHooks lastPortHooks;
    /// Non-blocking boxes still up, with what runs when each is closed.
    QList<std::function<void()>> openBoxes;
    /// Runs while a modal box is up (a test may look at the windows then).
    std::function<void(const Call &)> whileModal;

    void message(QWidget *, Icon icon, const QString &caption, const QString &text) override
    {
        record({QStringLiteral("message"), icon, caption, text});
    }
    bool question(QWidget *, const QString &caption, const QString &text) override
    {
        record({QStringLiteral("question"), Icon::Question, caption, text});
        if (questionAnswers.isEmpty()) {
            unexpected << QStringLiteral("question: ") + text;
            return false;
        }
        return questionAnswers.takeFirst();
    }
    SaveAnswer askToSave(QWidget *, const SaveQuestion &question) override
    {
        record({QStringLiteral("save changes"), Icon::Question, question.caption, question.text});
        lastSaveQuestion = question;
        if (saveChangesAnswers.isEmpty()) {
            unexpected << QStringLiteral("save changes: ") + question.text;
            return SaveAnswer::Cancel;
        }
        return saveChangesAnswers.takeFirst();
    }
    void messageLater(QWidget *, Icon icon, const QString &caption, const QString &text,
                      std::function<void()> closed) override
    {
        record({QStringLiteral("later"), icon, caption, text});
        openBoxes << std::move(closed);
    }
    QString openFileName(QWidget *, const QString &title, const QString &filter,
                         const QString &) override
    {
        record({QStringLiteral("open"), Icon::Information, title, filter});
        if (openAnswers.isEmpty()) {
            unexpected << QStringLiteral("open dialog: ") + title;
            return {};
        }
        return openAnswers.takeFirst();
    }
    QString saveFileName(QWidget *, const QString &title, const QString &filter,
                         const QString &) override
    {
        record({QStringLiteral("save"), Icon::Information, title, filter});
        if (saveAnswers.isEmpty()) {
            unexpected << QStringLiteral("save dialog");
            return {};
        }
        return saveAnswers.takeFirst();
    }
    QString saveFileNameProposing(QWidget *parent, const QString &title, const QString &filter,
                                  const QString &defaultSuffix, const QString &proposed) override
    {
        saveProposals << proposed;
        return saveFileName(parent, title, filter, defaultSuffix);
    }
    std::optional<QString> askName(QWidget *, const NameRequest &request) override
    {
        record({QStringLiteral("name"), Icon::Information, request.caption, request.prompt});
        if (nameAnswers.isEmpty()) {
            unexpected << QStringLiteral("name dialog: ") + request.caption;
            return std::nullopt;
        }
        return nameAnswers.takeFirst();
    }
    std::optional<QString> selectPort(QWidget *, quint8 &language,
                                      const PortWindowHooks &hooks) override
    {
        record({QStringLiteral("port"), Icon::Information, {}, {}});
        lastPortHooks = hooks;
        if (portAnswers.isEmpty()) {
            unexpected << QStringLiteral("port window");
            return std::nullopt;
        }
        const auto answer = portAnswers.takeFirst();
        if (answer.second)
            language = *answer.second;
        return answer.first;
    }

    /// The service windows: each modal window runs the next script while it is shown (the
    /// window is shown without a modal loop); a window the script leaves open is recorded as
    /// unexpected and hidden.
    QList<std::function<void(QDialog &)>> modalScripts;
    int showModal(QDialog &window) override
    {
        record({QStringLiteral("modal"), Icon::Information, window.objectName(),
                window.windowTitle()});
        if (modalScripts.isEmpty()) {
            unexpected << QStringLiteral("modal window: ") + window.objectName();
            return 0;
        }
        const auto script = modalScripts.takeFirst();
        window.show();
        script(window);
        if (window.isVisible()) {
            unexpected << QStringLiteral("modal window left open: ") + window.objectName();
            window.hide();
        }
        return window.result();
    }

    /// The print dialog: each answer sets the printer up as the user would (a test prints to a
    /// file) and says whether to print; a print dialog without an answer is unexpected.
    QList<std::function<bool(QPrinter &)>> printAnswers;
    bool choosePrinter(QWidget *, QPrinter &printer) override
    {
        record({QStringLiteral("print"), Icon::Information, {}, {}});
        if (printAnswers.isEmpty()) {
            unexpected << QStringLiteral("print dialog");
            return false;
        }
        return printAnswers.takeFirst()(printer);
    }

    /// Closes the oldest non-blocking box as the user would.
    bool closeOldestBox()
    {
        if (openBoxes.isEmpty())
            return false;
        auto closed = openBoxes.takeFirst();
        if (closed)
            closed();
        return true;
    }
    /// Message boxes and questions shown so far (file dialogs and the port window not counted).
    int boxCount() const
    {
        return int(callsOf(QStringLiteral("message")).size() +
                   callsOf(QStringLiteral("question")).size() +
                   callsOf(QStringLiteral("save changes")).size() +
                   callsOf(QStringLiteral("later")).size());
    }
    QList<Call> callsOf(const QString &kind) const
    {
        QList<Call> out;
        for (const Call &c : calls)
            if (c.kind == kind)
                out << c;
        return out;
    }

private:
    void record(const Call &call)
    {
        calls << call;
        if (whileModal && call.kind != QStringLiteral("later"))
            whileModal(call);
    }
};
