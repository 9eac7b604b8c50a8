// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QTest>

#include <sys/resource.h>

/// CPU time this process has used so far, user and system, in seconds.
inline double processCpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

/// The share of one core the process uses while its event loop runs for `ms`.
inline double cpuShareWhileIdle(int ms)
{
    const double before = processCpuSeconds();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QTest::qWait(20);
    return (processCpuSeconds() - before) / (double(t.elapsed()) / 1000.0);
}
