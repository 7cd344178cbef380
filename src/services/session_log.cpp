// SPDX-License-Identifier: MIT
#include "services/session_log.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/fitted_line.h"
#include "platform/safe_file.h"
#include "platform/user_state_folder.h"

namespace tovrik {
namespace {

namespace fs = std::filesystem;

struct Calendar {
    int year;
    unsigned month, day;
    long hours, minutes, seconds;
};

// Calendar arithmetic of the standard library, so no system time call is needed.
Calendar CalendarOf(std::time_t when)
{
    using namespace std::chrono;
    const sys_seconds at{seconds{when}};
    const auto day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss time{at - day};
    return {static_cast<int>(date.year()),
            static_cast<unsigned>(date.month()),
            static_cast<unsigned>(date.day()),
            static_cast<long>(time.hours().count()),
            static_cast<long>(time.minutes().count()),
            static_cast<long>(time.seconds().count())};
}

std::string DayName(std::time_t when)
{
    const Calendar c = CalendarOf(when);
    char name[32];
    std::snprintf(name, sizeof name, "%04d-%02u-%02u.log", c.year, c.month, c.day);
    return name;
}

// YYYY-MM-DD.log and nothing else: the only files pruning may remove.
bool IsDayFile(const std::string& name)
{
    if (name.size() != 14 || name.compare(10, 4, ".log") != 0 || name[4] != '-' || name[7] != '-') {
        return false;
    }
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
        if (name[i] < '0' || name[i] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string SessionLog::DefaultFolder()
{
    const std::string state = UserStateFolder();
    return state.empty() ? std::string() : state + "/tovrik/log";
}

SessionLog::SessionLog(std::string folder)
    : folder_(std::move(folder)), clock_([] { return std::time(nullptr); })
{
}

std::string SessionLog::DayFile(std::time_t when) const
{
    return folder_ + "/" + DayName(when);
}

std::string SessionLog::Line(const LogEntry& entry)
{
    const Calendar c = CalendarOf(entry.when);
    char head[64];
    std::snprintf(head, sizeof head, "%04d-%02u-%02u %02ld:%02ld:%02ld", c.year, c.month, c.day,
                  c.hours, c.minutes, c.seconds);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s",
                  static_cast<double>(entry.duration.count()) / 1e6);
    std::string line = std::string(head) + " | " + entry.command + " | " + entry.outcome + " | " +
                       seconds + " | " + std::to_string(entry.bytesWritten) + " bytes written | ";
    line += entry.backup.empty() ? std::string("no backup")
                                 : "backup " + WithSystemSeparators(entry.backup);
    // A command name or path never breaks the one line per command.
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    return line;
}

bool SessionLog::Add(LogEntry entry)
{
    if (entry.when == 0) {
        entry.when = clock_();
    }
    entries_.push_back(entry);
    lastError_.clear();
    if (folder_.empty()) {
        return true;
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (!fs::is_directory(folder_, ec)) {
        lastError_ = folder_ + ": the log folder cannot be made";
        return false;
    }
    const std::string file = DayFile(entry.when);
    if (!AppendFileDurably(file, Line(entry) + "\n", lastError_)) {
        return false;
    }
    Prune(DayName(entry.when));
    return true;
}

std::string SessionLog::Text() const
{
    std::string text;
    for (const LogEntry& entry : entries_) {
        text += Line(entry) + "\n";
    }
    return text;
}

void SessionLog::Prune(const std::string& current) const
{
    std::error_code ec;
    std::vector<std::string> days;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        // A symlink or folder with a day's name is not ours to remove.
        if (IsDayFile(name) && it->symlink_status(typeError).type() == fs::file_type::regular) {
            days.push_back(name);
        }
    }
    // Day names sort as the days do; the newest come first.
    std::sort(days.begin(), days.end(), std::greater<>());
    for (std::size_t i = kKeptDays; i < days.size(); ++i) {
        if (days[i] != current) {
            fs::remove(fs::path(folder_) / days[i], ec);
        }
    }
}

}  // namespace tovrik
