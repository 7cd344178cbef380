// SPDX-License-Identifier: MIT
// The safe file writer on Windows: a temporary file created exclusively in the
// target's folder, flushed, then moved over the target in one step.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/safe_file.h"
#include "platform/win32/wide_text.h"

namespace tovrik {

namespace {

// The same wording as on other systems: "cannot write PATH: why".
std::string Reason(const std::string& path, const char* what, DWORD error)
{
    std::string text = std::string(what) + " " + path;
    char message[256] = {};
    if (error != 0 && FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0, message, sizeof message, nullptr) > 0) {
        std::string why = message;
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == '.')) {
            why.pop_back();
        }
        text += ": " + why;
    }
    return text;
}

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
};

bool WriteAll(HANDLE h, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(
            FileWriteAllowance(std::min<std::size_t>(bytes.size() - done, 1 << 20)));
        if (chunk == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// Opens `path` for reading if it is a regular file (no folder, device or pipe).
bool OpenForReading(const std::string& path, Handle& file, std::string& error)
{
    file.h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.h == INVALID_HANDLE_VALUE) {
        error = Reason(path, "cannot open", GetLastError());
        return false;
    }
    if (GetFileType(file.h) != FILE_TYPE_DISK) {
        error = path + " is not a regular file";
        return false;
    }
    return true;
}

bool ReadUpTo(const std::string& path, HANDLE h, std::size_t maxBytes,
              std::vector<std::uint8_t>& bytes, std::string& error)
{
    bytes.assign(maxBytes, 0);
    std::size_t done = 0;
    while (done < maxBytes) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(maxBytes - done, 1 << 20));
        if (!ReadFile(h, bytes.data() + done, chunk, &read, nullptr)) {
            error = Reason(path, "cannot read", GetLastError());
            return false;
        }
        if (read == 0) {
            break;
        }
        done += read;
    }
    bytes.resize(done);
    return true;
}

}  // namespace

bool FileExists(const std::string& path)
{
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MayWrite(const std::string& path)
{
    // A folder's read-only flag means nothing to the files made in it.
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            (attributes & FILE_ATTRIBUTE_READONLY) == 0);
}

bool WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                     std::string& error)
{
    const std::wstring target = Widen(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = path + " is a folder, not a regular file";
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = Reason(path, "cannot write", ERROR_ACCESS_DENIED) + " (the file is read-only)";
        return false;
    }
    // The temporary file sits beside the target, so the move never crosses volumes.
    Handle temporary;
    std::wstring temporaryName;
    for (unsigned attempt = 0; attempt < 100 && temporary.h == INVALID_HANDLE_VALUE; ++attempt) {
        temporaryName = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount() + attempt) + L".tmp";
        temporary.h = CreateFileW(temporaryName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (temporary.h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            error = Reason(path, "cannot write", GetLastError());
            return false;
        }
    }
    if (temporary.h == INVALID_HANDLE_VALUE) {
        error = path + ": cannot write (no temporary file could be made)";
        return false;
    }
    if (!WriteAll(temporary.h, bytes) || !FlushFileBuffers(temporary.h)) {
        error = Reason(path, "cannot write", GetLastError());
        CloseHandle(temporary.h);
        temporary.h = INVALID_HANDLE_VALUE;
        DeleteFileW(temporaryName.c_str());
        return false;
    }
    CloseHandle(temporary.h);
    temporary.h = INVALID_HANDLE_VALUE;
    if (!MoveFileExW(temporaryName.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = Reason(path, "cannot write", GetLastError());
        DeleteFileW(temporaryName.c_str());
        return false;
    }
    return true;
}

bool UpdateFileInPlace(const std::string& path, std::size_t offset,
                       std::span<const std::uint8_t> bytes, std::string& error)
{
    Handle file;
    file.h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.h == INVALID_HANDLE_VALUE) {
        error = Reason(path, "cannot open", GetLastError());
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileType(file.h) != FILE_TYPE_DISK || !GetFileSizeEx(file.h, &size)) {
        error = path + " is not a regular file";
        return false;
    }
    // The file keeps its size: bytes past its end are refused, not appended.
    if (offset > static_cast<std::uint64_t>(size.QuadPart) ||
        bytes.size() > static_cast<std::uint64_t>(size.QuadPart) - offset) {
        error = path + ": the bytes to write run past the end of the file";
        return false;
    }
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.h, at, nullptr, FILE_BEGIN) || !WriteAll(file.h, bytes) ||
        !FlushFileBuffers(file.h)) {
        error = Reason(path, "cannot write", GetLastError());
        return false;
    }
    return true;
}

bool AppendFileDurably(const std::string& path, std::string_view text, std::string& error)
{
    Handle file;
    file.h = CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.h == INVALID_HANDLE_VALUE) {
        error = Reason(path, "cannot open", GetLastError());
        return false;
    }
    if (GetFileType(file.h) != FILE_TYPE_DISK) {
        error = path + " is not a regular file";
        return false;
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    LARGE_INTEGER before{};
    if (!GetFileSizeEx(file.h, &before)) {
        error = Reason(path, "cannot write", GetLastError());
        return false;
    }
    if (!WriteAll(file.h, bytes)) {
        // A write that stops part-way (a full disk) is taken back to where the append began.
        const DWORD writeError = GetLastError();
        CloseHandle(file.h);
        file.h = INVALID_HANDLE_VALUE;
        Handle cut;
        cut.h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile = before;
        const bool cutBack = cut.h != INVALID_HANDLE_VALUE &&
                             SetFileInformationByHandle(cut.h, FileEndOfFileInfo, &end,
                                                        sizeof end) &&
                             FlushFileBuffers(cut.h);
        error = Reason(path, "cannot write", writeError) +
                (cutBack ? "" : " (and the part written could not be taken back)");
        return false;
    }
    if (!FlushFileBuffers(file.h)) {
        error = Reason(path, "cannot write", GetLastError());
        return false;
    }
    return true;
}

bool ReadFileBounded(const std::string& path, std::size_t maxBytes,
                     std::vector<std::uint8_t>& bytes, std::string& error)
{
    Handle file;
    if (!OpenForReading(path, file, error)) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.h, &size)) {
        error = Reason(path, "cannot read", GetLastError());
        return false;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        error = path + ": " + std::to_string(size.QuadPart) + " bytes is more than the " +
                std::to_string(maxBytes) + " bytes this file may have";
        return false;
    }
    return ReadUpTo(path, file.h, maxBytes, bytes, error);
}

bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                    std::string& error)
{
    Handle file;
    if (!OpenForReading(path, file, error)) {
        return false;
    }
    return ReadUpTo(path, file.h, maxBytes, bytes, error);
}

}  // namespace tovrik
