// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/portaccess.h"

#include <QFileInfo>

QString DeniedPortGroup(const QString &name)
{
#ifdef Q_OS_UNIX
    if (name.isEmpty())
        return {};
    const bool isPath = name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./")) ||
                        name.startsWith(QLatin1String("../"));
    const QFileInfo node(isPath ? name : QStringLiteral("/dev/") + name);
    if (!node.exists() || (node.isReadable() && node.isWritable()))
        return {};
    // Joining the group helps only when the group may read and write; and nobody should be
    // told to join root's.
    const QFileDevice::Permissions groupUse{QFileDevice::ReadGroup | QFileDevice::WriteGroup};
    if ((node.permissions() & groupUse) != groupUse || node.groupId() == 0)
        return {};
    const QString group = node.group();
    return group.isEmpty() ? QString::number(node.groupId()) : group;
#else
    Q_UNUSED(name);
    return {};
#endif
}
