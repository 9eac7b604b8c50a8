#include "linklog.h"

// Warnings and worse only, unless the rules turn the debug level on.
Q_LOGGING_CATEGORY(lcLink, "zkv.link", QtWarningMsg)
