#include "filesync.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
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
    if (!file.commit())
        return file.errorString();
    SyncDirectoryOf(path);
    return {};
}

} // namespace FileSync
