// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

class Dialogs;

/// The application object: an exception that escapes an event handler is shown in a standard
/// error box instead of ending the program.
class ConsoleApplication : public QApplication
{
    Q_OBJECT
public:
    ConsoleApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
    /// Where the error box is shown; without dialogs the error is only printed.
    void setDialogs(Dialogs *dialogs) { m_dialogs = dialogs; }

private:
    void showError(const QString &text);
    Dialogs *m_dialogs = nullptr;
};
