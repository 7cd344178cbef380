// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovrik {

// The tool's one way to touch files: every write leaves either the old or the
// new content, whatever happens in between, and every read is bounded. The
// system-specific part lives in safe_file_posix.cpp (one such file per
// system). Failures return false with a one-line reason that names the file.

// Caps that fit each kind of input file.
inline constexpr std::size_t kMaxImageFileBytes = 2048;
inline constexpr std::size_t kMaxTextFileBytes = 1024 * 1024;

// Replaces the content of `path`: the bytes go to a temporary file created
// exclusively in the target's folder, reach the disk, and are renamed over the
// target. A symlinked target is written at its resolved path; the target's
// mode is kept (a new file gets 0666 less the umask); a target that is not a
// regular file (device, FIFO, folder) or that is read-only is refused.
bool WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                     std::string& error);

// Overwrites bytes of an existing regular file in place, from `offset` on, and
// flushes them to disk before returning; the file keeps its size and identity.
bool UpdateFileInPlace(const std::string& path, std::size_t offset,
                       std::span<const std::uint8_t> bytes, std::string& error);

// Appends `text` to the regular file `path` (created when missing) and flushes
// it to disk before returning. A write that stops part-way (a full disk) is
// cut back to where the append began, so a log never ends in half a line, and
// the caller is told why.
bool AppendFileDurably(const std::string& path, std::string_view text, std::string& error);

// How many of the `count` bytes one write call of this layer may put down; 0
// means the disk is full. Tests set one to play a full disk; empty (the
// default) lets every write go to the system as it is.
using FileWriteLimit = std::function<std::size_t(std::size_t count)>;
void SetFileWriteLimitForTesting(FileWriteLimit limit);
// The bytes the next write of `count` may put down (`count` without a limit).
std::size_t FileWriteAllowance(std::size_t count);

// Reads a regular file of at most `maxBytes` bytes; a larger file, a FIFO, a
// device or a folder is refused without reading (and without waiting).
bool ReadFileBounded(const std::string& path, std::size_t maxBytes,
                     std::vector<std::uint8_t>& bytes, std::string& error);

// Reads at most the first `maxBytes` bytes of a regular file, ignoring the rest.
bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                    std::string& error);

// Whether `path` exists at all (a dangling symlink counts as existing).
bool FileExists(const std::string& path);

// Whether this user may write the file at `path`, or make files in the folder at `path`.
bool MayWrite(const std::string& path);

}  // namespace tovrik
