#include "filesync.h"

#include <QFile>
#include <QFileInfo>
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

} // namespace FileSync
