// SPDX-License-Identifier: MIT
// The file lock on Windows: PATH.lock held open with no sharing at all, so any
// second open of it, in this process or another, fails until the holder closes it.
#include <windows.h>

#include <string>

#include "platform/file_lock.h"
#include "platform/win32/wide_text.h"

namespace tovrik {

std::string FileLock::LockPathOf(const std::string& path)
{
    return path + ".lock";
}

FileLock::Result FileLock::TryAcquire(const std::string& path)
{
    Result result;
    const std::string lockPath = LockPathOf(path);
    const HANDLE handle = CreateFileW(Widen(lockPath).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
            result.status = Status::HeldElsewhere;
        } else {
            result.error = lockPath + ": error " + std::to_string(error);
        }
        return result;
    }
    result.status = Status::Acquired;
    result.lock.reset(new FileLock(reinterpret_cast<std::intptr_t>(handle)));
    return result;
}

FileLock::~FileLock()
{
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace tovrik
