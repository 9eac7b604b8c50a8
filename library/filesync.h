// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QFileDevice;

// The console's guarded use of the system's file calls: reading only what is a regular file,
// and saving so that an acknowledged save is on the disk.
namespace FileSync
{

/// Makes the entry of `filePath` in its folder durable after the file was renamed into place,
/// so that an acknowledged save survives a power cut. Where the system needs no such step, or
/// offers none, it does nothing. True when done or not needed.
bool SyncDirectoryOf(const QString &filePath);

/// Makes what was written to the open `file` durable (the file's own data, whichever file
/// the device writes). The system's reason when that fails, empty when done or not offered.
QString SyncContents(QFileDevice &file);

/// Writes all of `bytes` to `file`; the system's reason when it stops short (Qt reports no error
/// for a short write, as on a full disk), empty when everything was written.
QString WriteAll(QFileDevice &file, QByteArrayView bytes);

/// Saves `bytes` as the file `path` so that a crash never leaves a half-written file: a fresh
/// file renamed over the old one (written in place where the folder lets no new file be made),
/// the file synced before success is reported, then the folder synced. Something at `path`
/// that is not a regular file (a folder, a pipe, a device) is never written. The reason when it
/// fails (the old file is then kept, unless it was being written in place), else empty.
QString SaveFile(const QString &path, QByteArrayView bytes);

/// What reading a file found.
enum class ReadOutcome {
    Read,
    Folder,         ///< `path` is a folder
    NotRegularFile, ///< a device, a pipe or a socket: never opened, so reading never blocks
    Failed,         ///< missing or unreadable; `error` says why
};

struct FileBytes {
    QByteArray bytes;
    ReadOutcome outcome = ReadOutcome::Failed;
    QString error; ///< the system's reason for Failed
};

/// Reads at most `limit` bytes of the regular file `path` (a symbolic link to one counts).
/// Whatever else is at `path` is refused without being read.
FileBytes ReadRegularFile(const QString &path, qint64 limit);

} // namespace FileSync
