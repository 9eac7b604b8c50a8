// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QTextStream>

/// The start of a benchmark that builds windows: the offscreen platform unless QT_QPA_PLATFORM
/// names another, the application object, and the stream the figures are printed to. Made
/// first thing in main() and kept until it returns.
class WindowBench
{
public:
    WindowBench(int &argc, char **argv)
        : m_platform(chooseOffscreen())
        , m_app(argc, argv)
    {
    }

    QTextStream out{stdout};

private:
    static bool chooseOffscreen()
    {
        if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            return false;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }

    bool m_platform;
    QApplication m_app;
};
