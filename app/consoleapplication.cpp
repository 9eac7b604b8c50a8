// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/consoleapplication.h"

#include "app/texts.h"
#include "common/dialogs.h"

#include <QWidget>

#include <exception>

ConsoleApplication::ConsoleApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool ConsoleApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error"));
    }
    return false;
}

void ConsoleApplication::showError(const QString &text)
{
    if (m_dialogs)
        m_dialogs->message(activeWindow(), Dialogs::Icon::Error,
                           QString::fromLatin1(Texts::ProgramTitle), text);
    else
        qWarning("%s", qPrintable(text));
}
