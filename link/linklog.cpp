// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/linklog.h"

// Warnings and worse only, unless the rules turn the debug level on.
Q_LOGGING_CATEGORY(lcLink, "zkv.link", QtWarningMsg)
