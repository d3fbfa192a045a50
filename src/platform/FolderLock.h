#pragma once
#include <QString>

namespace qlk {

// Marks a folder as being worked on by this process: an advisory lock
// (flock) on the folder itself, held while the object lives. The kernel
// drops it when the process ends, however it ends, so a lock never
// outlives its owner and a reused process id cannot pass for one; and no
// file is added to the folder. Another process (another copy of the
// program) that cannot take the lock leaves the folder alone.
class FolderLock {
public:
    // Takes the lock without waiting; held() says whether it was had. It is
    // not when another process holds it (busy()) or the folder cannot be
    // opened (neither).
    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return fd_ >= 0; }
    bool busy() const { return busy_; }
    // Whether the folder locked is still the one at its path: another
    // process may have removed it between its making and the lock.
    bool stillInPlace() const;

private:
    QString folder_;
    int fd_ = -1;
    bool busy_ = false;
};

} // namespace qlk
