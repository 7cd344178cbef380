// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace tovrik {

// The name under which a running tool holds its instance lock (the trailing blank is part of it).
inline constexpr const char kToolInstanceName[] = "TOVRIK Configuration Tool ";

// Keeps a second instance of the tool from running: an advisory lock on a file
// of the lock's name in the user's runtime directory. The system drops the lock
// when the holder closes it or dies, so a crashed tool never locks the next one out.
// On Windows the lock is a named mutex of the session instead (`directory` only
// scopes its name, RuntimeDirectory is empty and `fd_` holds the mutex handle).
class SingleInstanceLock {
    // Only TryAcquire can make the key, so only it constructs locks.
    struct Key {
        explicit Key() = default;
    };

public:
    enum class Status {
        Acquired,
        // Another instance holds the lock: the tool must not start.
        HeldElsewhere,
        // The lock file could not be made or locked: the tool may run unguarded.
        Unavailable,
    };

    struct Result {
        Status status = Status::Unavailable;
        // Set only when status is Acquired.
        std::unique_ptr<SingleInstanceLock> lock;
        // The lock file's path, or the directory that failed; for reports.
        std::string path;
        // errno of the failing call when status is Unavailable, otherwise 0.
        int error = 0;
    };

    // Takes the lock `name` in `directory`, or in RuntimeDirectory() when it is empty.
    static Result TryAcquire(const std::string& name, const std::string& directory = {});

    // The lock, or nullptr for either failure; TryAcquire tells them apart.
    static std::unique_ptr<SingleInstanceLock> Acquire(const std::string& name,
                                                       const std::string& directory = {});

    // $XDG_RUNTIME_DIR when it names a directory, else a private per-user
    // directory under /tmp (created with mode 0700 when missing); empty when
    // neither can be had.
    static std::string RuntimeDirectory();

    SingleInstanceLock(Key, int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    const std::string& Path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

}  // namespace tovrik
