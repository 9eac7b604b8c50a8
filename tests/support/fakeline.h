// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/serialline.h"

/// A serial line under the test's control: it records what the console writes and hands out
/// whatever the test queues, in the chunks the test chooses.
class FakeLine : public SerialLine
{
public:
    QByteArray written;
    QList<QByteArray> incoming; ///< each readQueued() returns the next chunk
    bool openResult = true;
    bool opened = false;
    bool acceptWrites = true;
    int purges = 0;

    LineFault openFault = LineFault::Other; ///< what a refused open() reports
    QString openError = QStringLiteral("refused by the test");

    bool open(QString *error) override
    {
        if (!openResult && error)
            *error = openError;
        setFault(openResult ? LineFault::None : openFault);
        opened = openResult;
        return openResult;
    }
    bool isOpen() const override { return opened; }
    void close() override { opened = false; }
    void purge() override { ++purges; }
    QByteArray readQueued() override
    {
        return incoming.isEmpty() ? QByteArray() : incoming.takeFirst();
    }
    bool write(const QByteArray &bytes) override
    {
        if (!acceptWrites)
            return false;
        written += bytes;
        return true;
    }
    void failNow(const QString &reason, LineFault fault = LineFault::Other)
    {
        opened = false;
        setFault(fault);
        emit failed(reason);
    }
};
