#pragma once

#include "textpair.h"

#include <QString>

/// Log line after a failed open when the user may not use the port's device: %1 the group that
/// owns the device (on Debian usually "dialout").
inline constexpr TextPair LogPortAccess{
    " Нет доступа к порту: пользователь должен быть в группе «%1» (sudo adduser $USER %1), "
    "затем войдите в систему заново.",
    " No access to the port: your user must be in the group \"%1\" (sudo adduser $USER %1), "
    "then log in again."};

/// The group that owns the device node of serial port `name` (a path, or a name under /dev as
/// the serial port takes it) when this user may not both read and write it. Empty when access
/// is not what keeps the port closed: no such node, access granted, or a system without device
/// nodes (on Windows a refused COM port is one in use).
QString DeniedPortGroup(const QString &name);
