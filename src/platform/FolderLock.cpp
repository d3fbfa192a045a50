#include "platform/FolderLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlk {

FolderLock::FolderLock(const QString& folder) : folder_(folder)
{
    // Close-on-exec: a command started meanwhile must not carry the lock
    // past this program's end.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        busy_ = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    fd_ = fd;
}

FolderLock::~FolderLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderLock::stillInPlace() const
{
    struct stat locked, now;
    if (fd_ < 0 || ::fstat(fd_, &locked) != 0 || locked.st_nlink == 0)
        return false;
    return ::stat(QFile::encodeName(folder_).constData(), &now) == 0 && now.st_dev == locked.st_dev &&
           now.st_ino == locked.st_ino;
}

} // namespace qlk
