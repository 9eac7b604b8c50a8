// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

#include <QString>

/// Log line after a failed open when the user may not use the port's device: %1 the group that
/// owns the device (on Debian usually "dialout").
inline constexpr TextPair LogPortAccess{
    " Нет доступа к порту: пользователь должен быть в группе «%1» (sudo adduser $USER %1), "
    "затем войдите в систему заново.",
    " No access to the port: your user must be in the group \"%1\" (sudo adduser $USER %1), "
    "then log in again."};

/// The group to join for serial port `name` (a path, or a name under /dev as the serial port
/// takes it): the group that owns its device node, when this user may not both read and write
/// the node and that group may. Empty when joining a group is no remedy: no such node, access
/// granted, a node the group may not use either, root's group, or a system without device
/// nodes (on Windows a refused COM port is one in use).
QString DeniedPortGroup(const QString &name);
