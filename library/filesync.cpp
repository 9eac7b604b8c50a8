// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/filesync.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileSync
{

bool SyncDirectoryOf(const QString &filePath)
{
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result = 0;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    // Some file systems cannot sync a directory; that is no failure of the save.
    const bool done = result == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return done;
#else
    // No portable way to sync a folder here; the file itself was synced before the rename.
    Q_UNUSED(filePath);
    return true;
#endif
}

QString SyncContents(QFileDevice &file)
{
    if (!file.flush())
        return file.errorString();
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    if (fd < 0)
        return QStringLiteral("The file is not open");
    int result = 0;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    // A delayed write error (a full disk, a failing device) shows here, not at the write.
    if (result != 0 && errno != EINVAL && errno != ENOTSUP)
        return qt_error_string(errno);
#endif
    return {};
}

QString WriteAll(QFileDevice &file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        // A write that stops short (a full disk) sets no error; the next attempt fails with
        // the system's reason.
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written < 0 || (written == 0 && file.error() != QFileDevice::NoError))
            return file.errorString();
        if (written == 0)
            return QStringLiteral("The file takes no more data");
        bytes = bytes.sliced(written);
    }
    return {};
}

QString SaveFile(const QString &path, QByteArrayView bytes)
{
    // Writing in place into a pipe or a device would block or reach hardware.
    const QFileInfo existing(path);
    if (existing.exists() && existing.isDir())
        return QStringLiteral("It is a folder");
    if (existing.exists() && !existing.isFile())
        return QStringLiteral("It is not a regular file (a device or a pipe)");
    QSaveFile file(path);
    // A folder may let the existing file be written but no new file be created beside it.
    file.setDirectWriteFallback(true);
    // Unbuffered, so that every write reports what reached the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (const QString error = WriteAll(file, bytes); !error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    // The file written in place is not synced by the commit; a fresh one is, but both are
    // synced here, so that no failure to reach the disk passes as a save.
    if (const QString error = SyncContents(file); !error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    SyncDirectoryOf(path);
    return {};
}

FileBytes ReadRegularFile(const QString &path, qint64 limit)
{
    FileBytes result;
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        result.error = qt_error_string(errno);
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.outcome = ReadOutcome::Folder;
        return result;
    }
    // Opening a pipe waits for a writer, opening a device may act on the hardware.
    if (!S_ISREG(info.st_mode)) {
        result.outcome = ReadOutcome::NotRegularFile;
        return result;
    }
    // What was a file a moment ago may have been replaced: opened without waiting, and looked
    // at again.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.error = qt_error_string(errno);
        return result;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.outcome = ReadOutcome::NotRegularFile;
        return result;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        result.error = file.errorString();
        return result;
    }
#else
    const QFileInfo info(path);
    if (info.isDir()) {
        result.outcome = ReadOutcome::Folder;
        return result;
    }
    if (info.exists() && !info.isFile()) {
        result.outcome = ReadOutcome::NotRegularFile;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
#endif
    result.bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.error = file.errorString();
        return result;
    }
    result.outcome = ReadOutcome::Read;
    return result;
}

} // namespace FileSync
