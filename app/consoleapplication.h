#pragma once

#include <QApplication>

/// The application object: an exception that escapes an event handler is shown in a standard
/// error box instead of ending the program.
class ConsoleApplication : public QApplication
{
    Q_OBJECT
public:
    ConsoleApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
