// SPDX-License-Identifier: MIT
// The single-instance lock on Windows: a named mutex of the user's session.
#include <windows.h>

#include <string>

#include "platform/single_instance_lock.h"
#include "platform/win32/wide_text.h"

namespace tovrik {

std::string SingleInstanceLock::RuntimeDirectory()
{
    // A mutex needs no folder; the session is its scope.
    return {};
}

SingleInstanceLock::Result SingleInstanceLock::TryAcquire(const std::string& name,
                                                          const std::string& directory)
{
    Result result;
    // A backslash would name a kernel namespace instead of a mutex.
    if (name.empty() || name.find('\\') != std::string::npos || name.find('/') != std::string::npos) {
        result.path = name;
        result.error = ERROR_INVALID_NAME;
        return result;
    }
    // A directory only scopes the name, so tests can hold locks of their own.
    std::string full = name;
    if (!directory.empty()) {
        std::string scope = directory;
        for (char& c : scope) {
            if (c == '\\' || c == '/' || c == ':') {
                c = '_';
            }
        }
        full = scope + "_" + name;
    }
    result.path = full;

    // Not owned: while any instance keeps the mutex open, its name exists.
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(full).c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // ERROR_ACCESS_DENIED: another user's instance holds the name.
        if (error == ERROR_ACCESS_DENIED) {
            result.status = Status::HeldElsewhere;
        } else {
            result.error = static_cast<int>(error);
        }
        return result;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        result.status = Status::HeldElsewhere;
        return result;
    }
    result.status = Status::Acquired;
    // Kernel handles keep their meaning in 32 bits (the system's promise for
    // 32/64-bit interplay), so the handle fits the lock's descriptor field.
    result.lock = std::make_unique<SingleInstanceLock>(
        Key{}, static_cast<int>(HandleToLong(mutex)), full);
    return result;
}

std::unique_ptr<SingleInstanceLock> SingleInstanceLock::Acquire(const std::string& name,
                                                                const std::string& directory)
{
    return TryAcquire(name, directory).lock;
}

SingleInstanceLock::~SingleInstanceLock()
{
    CloseHandle(LongToHandle(fd_));
}

}  // namespace tovrik
