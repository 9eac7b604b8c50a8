// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

/// The link's trace for diagnosing a furnace line: every frame sent and received (type, length,
/// bytes), the bytes as read from the line, replies that did not come, line failures and
/// reopens. All of it at debug level, off unless turned on, for instance with
/// QT_LOGGING_RULES="zkv.link.debug=true"; it goes wherever Qt's messages go (stderr).
Q_DECLARE_LOGGING_CATEGORY(lcLink)
