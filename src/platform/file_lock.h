// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tovrik {

// Keeps a file to one user at a time, within a process and across processes:
// an exclusive lock on PATH.lock beside it. The system drops the lock when its
// holder lets go or dies, so a crash never locks the file for good. The lock
// file stays behind: removing it would let a newcomer lock a fresh one while
// another still holds the old. POSIX part in file_lock_posix.cpp, the Windows
// part in win32/file_lock_win32.cpp.
class FileLock {
public:
    enum class Status {
        Acquired,
        // Another holder (another process, or another object of this one) has it.
        HeldElsewhere,
        // The lock file could not be made or locked (a missing or read-only folder).
        Unavailable,
    };

    struct Result {
        Status status = Status::Unavailable;
        // Set only when status is Acquired.
        std::unique_ptr<FileLock> lock;
        // The system's reason when status is Unavailable.
        std::string error;
    };

    // The lock file that guards `path`.
    static std::string LockPathOf(const std::string& path);
    static Result TryAcquire(const std::string& path);

    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_;
};

}  // namespace tovrik
