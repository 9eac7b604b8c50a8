// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

/// Orders port names the way people count: "ttyS2" before "ttyS10".
bool NaturalLess(const QString &a, const QString &b);

/// The serial ports this machine lists (ttyS*, ttyUSB*, ttyACM* ...), by their names.
QStringList SystemPortNames();

/// The ports among `candidates` that `canOpen` can open at this moment, in natural order.
QStringList OpenablePorts(const QStringList &candidates,
                          const std::function<bool(const QString &)> &canOpen);
