// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/portlist.h"

#include <QSerialPortInfo>

#include <algorithm>

bool NaturalLess(const QString &a, const QString &b)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int ie = i;
            int je = j;
            while (ie < a.size() && a[ie].isDigit())
                ++ie;
            while (je < b.size() && b[je].isDigit())
                ++je;
            // Compare the runs as numbers without converting (they may be long).
            QStringView na = QStringView(a).mid(i, ie - i);
            QStringView nb = QStringView(b).mid(j, je - j);
            while (na.size() > 1 && na.front() == u'0')
                na = na.mid(1);
            while (nb.size() > 1 && nb.front() == u'0')
                nb = nb.mid(1);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            const int c = na.compare(nb);
            if (c != 0)
                return c < 0;
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

QStringList SystemPortNames()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names << info.portName();
    return names;
}

QStringList OpenablePorts(const QStringList &candidates,
                          const std::function<bool(const QString &)> &canOpen)
{
    QStringList ports;
    for (const QString &name : candidates) {
        if (!ports.contains(name) && canOpen(name))
            ports << name;
    }
    std::sort(ports.begin(), ports.end(), NaturalLess);
    return ports;
}
