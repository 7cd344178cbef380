// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace tovrik {

// One command of the window, as the log keeps it.
struct LogEntry {
    std::time_t when = 0;  // when it ended
    std::string command;
    std::string outcome;  // "done", "failed" or "cancelled"
    std::chrono::microseconds duration{0};
    std::uint64_t bytesWritten = 0;
    std::string backup;  // the backup it kept; empty when none
};

// The commands of this session, listed in memory and kept on disk as one text
// file per day (UTC), YYYY-MM-DD.log in the log folder, a line per command.
// Only the newest kKeptDays day files stay; the current day's is never removed.
class SessionLog {
public:
    static constexpr std::size_t kKeptDays = 30;

    // tovrik/log in the user's state folder ($XDG_STATE_HOME/tovrik/log,
    // %LOCALAPPDATA%\tovrik\log on Windows); empty when none is set.
    static std::string DefaultFolder();

    // An empty folder lists the entries in memory only.
    explicit SessionLog(std::string folder = DefaultFolder());

    // The clock that dates the entries and names the day files; tests set a fixed one.
    void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }
    std::time_t Now() const { return clock_(); }

    // Lists `entry` (dated now when its time is 0) and appends its line to the
    // day's file, then removes day files past the newest kKeptDays. False
    // when the line could not be kept on disk (see LastError()); the entry is
    // listed all the same.
    bool Add(LogEntry entry);

    const std::vector<LogEntry>& Entries() const { return entries_; }
    // Every entry's line, oldest first, each ending in a line break.
    std::string Text() const;
    // Why the last line could not be kept on disk; empty when it was.
    const std::string& LastError() const { return lastError_; }
    const std::string& Folder() const { return folder_; }
    // The day file the entries of `when` go to.
    std::string DayFile(std::time_t when) const;

    // 2026-12-08 14:15:03 | Save EEPROM | done | 0.41 s | 256 bytes written | BACKUP
    static std::string Line(const LogEntry& entry);

private:
    void Prune(const std::string& current) const;

    std::string folder_;
    std::function<std::time_t()> clock_;
    std::vector<LogEntry> entries_;
    std::string lastError_;
};

}  // namespace tovrik
