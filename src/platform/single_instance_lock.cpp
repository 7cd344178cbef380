// SPDX-License-Identifier: MIT
#include "platform/single_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace tovrik {
namespace {

bool IsDirectory(const char* path)
{
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// A directory only we can change: anyone else who could would be able to
// hold our lock forever or swap the lock file under us.
bool IsPrivateDirectory(const char* path)
{
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Makes `directory` (its last component only) with mode 0700 unless it exists;
// returns 0 or the errno of the failure.
int EnsureDirectory(const std::string& directory)
{
    if (mkdir(directory.c_str(), 0700) == 0) {
        return 0;
    }
    const int error = errno;
    if (error != EEXIST) {
        return error;
    }
    return IsDirectory(directory.c_str()) ? 0 : ENOTDIR;
}

}  // namespace

std::string SingleInstanceLock::RuntimeDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && IsPrivateDirectory(runtime)) {
        return runtime;
    }
    std::string fallback = "/tmp/tovrik-" + std::to_string(getuid());
    if (mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    // A directory planted by another user could hold our lock forever, so only our own counts.
    struct stat info {};
    if (lstat(fallback.c_str(), &info) != 0 || S_ISLNK(info.st_mode) ||
        !IsPrivateDirectory(fallback.c_str())) {
        return {};
    }
    return fallback;
}

SingleInstanceLock::Result SingleInstanceLock::TryAcquire(const std::string& name,
                                                          const std::string& directory)
{
    Result result;
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        result.path = name;
        result.error = EINVAL;
        return result;
    }
    std::string dir = directory.empty() ? RuntimeDirectory() : directory;
    if (dir.empty()) {
        result.error = ENOENT;
        return result;
    }
    if (int error = EnsureDirectory(dir); error != 0) {
        result.path = dir;
        result.error = error;
        return result;
    }
    result.path = dir + "/" + name;

    // O_NOFOLLOW keeps a planted symlink from redirecting the lock onto another file.
    int fd = open(result.path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    int locked;
    do {
        locked = flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        int error = errno;
        close(fd);
        if (error == EWOULDBLOCK) {
            result.status = Status::HeldElsewhere;
        } else {
            result.error = error;
        }
        return result;
    }
    result.status = Status::Acquired;
    result.lock = std::make_unique<SingleInstanceLock>(Key{}, fd, result.path);
    return result;
}

std::unique_ptr<SingleInstanceLock> SingleInstanceLock::Acquire(const std::string& name,
                                                                const std::string& directory)
{
    return TryAcquire(name, directory).lock;
}

SingleInstanceLock::~SingleInstanceLock()
{
    // The file stays: unlinking it would let a newcomer lock a fresh file while
    // another process still waits to lock the old one.
    close(fd_);
}

}  // namespace tovrik
