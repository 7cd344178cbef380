// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_lock.h"

namespace tovrik {

std::string FileLock::LockPathOf(const std::string& path)
{
    return path + ".lock";
}

FileLock::Result FileLock::TryAcquire(const std::string& path)
{
    Result result;
    const std::string lockPath = LockPathOf(path);
    // O_NOFOLLOW keeps a planted symlink from making us create or lock another file. A lock
    // taken with flock belongs to this open file, so a second open in this process is refused too.
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        result.error = lockPath + ": " + std::strerror(errno);
        return result;
    }
    int locked = 0;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            result.status = Status::HeldElsewhere;
        } else {
            result.error = lockPath + ": " + std::strerror(error);
        }
        return result;
    }
    result.status = Status::Acquired;
    result.lock.reset(new FileLock(fd));
    return result;
}

FileLock::~FileLock()
{
    ::close(static_cast<int>(handle_));
}

}  // namespace tovrik
