// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/safe_file.h"

namespace tovrik {
namespace {

// "cannot write PATH: Permission denied"
std::string Reason(const std::string& path, const char* what, int error)
{
    return std::string(what) + " " + path +
           (error != 0 ? std::string(": ") + std::strerror(error) : "");
}

const char* KindOf(mode_t mode)
{
    if (S_ISDIR(mode)) {
        return "is a folder, not a regular file";
    }
    if (S_ISFIFO(mode)) {
        return "is a FIFO, not a regular file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "is a device, not a regular file";
    }
    if (S_ISSOCK(mode)) {
        return "is a socket, not a regular file";
    }
    return "is not a regular file";
}

// Closes a descriptor on every path out of a function.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now and says whether the close (which may report a late write error) worked.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// One write call as the system would make it, or cut short by the limit tests set.
ssize_t WriteSome(int fd, const std::uint8_t* bytes, std::size_t count, off_t offset, bool append)
{
    const std::size_t allowed = FileWriteAllowance(count);
    if (allowed == 0 && count > 0) {
        errno = ENOSPC;
        return -1;
    }
    return append ? ::write(fd, bytes, allowed) : ::pwrite(fd, bytes, allowed, offset);
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count, off_t offset,
              bool append = false)
{
    while (count > 0) {
        const ssize_t n = WriteSome(fd, bytes, count, offset, append);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        count -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// The target a write goes to: a symlink's final target, so the link survives.
std::string ResolvedTarget(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::vector<char> link(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size() - 1);
        if (n <= 0) {
            return current;
        }
        std::string next(link.data(), static_cast<std::size_t>(n));
        if (next.front() != '/') {
            const std::size_t slash = current.rfind('/');
            next =
                (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + next;
        }
        current = next;
    }
    return current;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool OpenForReading(const std::string& path, Descriptor& fd, struct stat& info, std::string& error)
{
    if (fd.Get() < 0) {
        error = Reason(path, "cannot open", errno);
        return false;
    }
    if (::fstat(fd.Get(), &info) != 0) {
        error = Reason(path, "cannot read", errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " " + KindOf(info.st_mode);
        return false;
    }
    // The descriptor was opened without blocking so a FIFO could not hang the open.
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return true;
}

// A descriptor opened for writing (without blocking) that must be a regular file.
bool CheckWritable(const std::string& path, const Descriptor& fd, std::string& error)
{
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0) {
        error = Reason(path, "cannot write", errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " " + KindOf(info.st_mode);
        return false;
    }
    return true;
}

bool ReadUpTo(const std::string& path, int fd, std::size_t maxBytes,
              std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::vector<std::uint8_t> data(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(fd, data.data() + got, maxBytes - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = Reason(path, "cannot read", errno);
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    bytes = std::move(data);
    return true;
}

}  // namespace

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool MayWrite(const std::string& path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

bool WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                     std::string& error)
{
    const std::string target = ResolvedTarget(path);
    mode_t mode = 0;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            error = path + " " + KindOf(info.st_mode);
            return false;
        }
        mode = info.st_mode & 07777;
        // A rename would replace a read-only file as if it were writable (and root may write
        // anything): no write permission for anybody means the user wants it kept.
        if ((mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
            error = Reason(path, "cannot write", EACCES) + " (the file is read-only)";
            return false;
        }
    } else if (errno != ENOENT) {
        error = Reason(path, "cannot write", errno);
        return false;
    } else {
        // umask can only be read by setting it; the tool creates no files on other threads.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    // mkstemp creates the file exclusively with a name nobody could plant in advance.
    std::string temporary = FolderOf(target) + "/.tovrik-XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        error = Reason(path, "cannot write", errno);
        return false;
    }
    const bool written = WriteAll(fd.Get(), bytes.data(), bytes.size(), 0) &&
                         ::fchmod(fd.Get(), mode) == 0 && ::fsync(fd.Get()) == 0;
    const int writeError = errno;
    if (!fd.Close() || !written) {
        ::unlink(temporary.c_str());
        error = Reason(path, "cannot write", written ? errno : writeError);
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        error = Reason(path, "cannot write", renameError);
        return false;
    }
    // The rename itself reaches the disk only with its folder.
    Descriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        ::fsync(folder.Get());
    }
    return true;
}

bool UpdateFileInPlace(const std::string& path, std::size_t offset,
                       std::span<const std::uint8_t> bytes, std::string& error)
{
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    if (!CheckWritable(path, fd, error)) {
        return false;
    }
    if (!WriteAll(fd.Get(), bytes.data(), bytes.size(), static_cast<off_t>(offset)) ||
        ::fdatasync(fd.Get()) != 0) {
        error = Reason(path, "cannot write", errno);
        return false;
    }
    if (!fd.Close()) {
        error = Reason(path, "cannot write", errno);
        return false;
    }
    return true;
}

bool AppendFileDurably(const std::string& path, std::string_view text, std::string& error)
{
    Descriptor fd(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666));
    if (!CheckWritable(path, fd, error)) {
        return false;
    }
    struct stat before {};
    if (::fstat(fd.Get(), &before) != 0) {
        error = Reason(path, "cannot write", errno);
        return false;
    }
    // O_APPEND places every write at the end; one that stops part-way (a full disk) is
    // taken back, so the file ends where it did, after its last whole line.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!WriteAll(fd.Get(), bytes, text.size(), 0, true)) {
        const int writeError = errno != 0 ? errno : EIO;
        const bool cutBack = ::ftruncate(fd.Get(), before.st_size) == 0 && ::fsync(fd.Get()) == 0;
        error = Reason(path, "cannot write", writeError) +
                (cutBack ? "" : " (and the part written could not be taken back)");
        return false;
    }
    if (::fsync(fd.Get()) != 0 || !fd.Close()) {
        error = Reason(path, "cannot write", errno);
        return false;
    }
    return true;
}

bool ReadFileBounded(const std::string& path, std::size_t maxBytes,
                     std::vector<std::uint8_t>& bytes, std::string& error)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!OpenForReading(path, fd, info, error)) {
        return false;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        error = path + ": " + std::to_string(info.st_size) + " bytes is more than the " +
                std::to_string(maxBytes) + " bytes this file may have";
        return false;
    }
    // One byte more than allowed tells a file that grew since the check.
    if (!ReadUpTo(path, fd.Get(), maxBytes + 1, bytes, error)) {
        return false;
    }
    if (bytes.size() > maxBytes) {
        error = path + ": more than the " + std::to_string(maxBytes) + " bytes this file may have";
        return false;
    }
    return true;
}

bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                    std::string& error)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    return OpenForReading(path, fd, info, error) &&
           ReadUpTo(path, fd.Get(), maxBytes, bytes, error);
}

}  // namespace tovrik
