#pragma once

#include <QString>

namespace FileSync
{

/// Makes the entry of `filePath` in its folder durable after the file was renamed into place,
/// so that an acknowledged save survives a power cut. Where the system needs no such step, or
/// offers none, it does nothing. True when done or not needed.
bool SyncDirectoryOf(const QString &filePath);

} // namespace FileSync
