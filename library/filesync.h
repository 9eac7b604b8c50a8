#pragma once

#include <QByteArrayView>
#include <QString>

class QFileDevice;

namespace FileSync
{

/// Makes the entry of `filePath` in its folder durable after the file was renamed into place,
/// so that an acknowledged save survives a power cut. Where the system needs no such step, or
/// offers none, it does nothing. True when done or not needed.
bool SyncDirectoryOf(const QString &filePath);

/// Writes all of `bytes` to `file`; the system's reason when it stops short (Qt reports no error
/// for a short write, as on a full disk), empty when everything was written.
QString WriteAll(QFileDevice &file, QByteArrayView bytes);

/// Saves `bytes` as the file `path` so that a crash never leaves a half-written file: a fresh
/// file renamed over the old one (written in place where the folder lets no new file be made),
/// then the folder synced. The reason when it fails (the old file is then kept), else empty.
QString SaveFile(const QString &path, QByteArrayView bytes);

} // namespace FileSync
