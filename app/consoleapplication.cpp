#include "consoleapplication.h"

#include <QMessageBox>

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
        QMessageBox::critical(activeWindow(), applicationDisplayName(),
                              QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), applicationDisplayName(),
                              QStringLiteral("Unknown error"));
    }
    return false;
}
