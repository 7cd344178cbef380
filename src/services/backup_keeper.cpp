// SPDX-License-Identifier: MIT
#include "services/backup_keeper.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <tuple>

#include "device/device_library.h"
#include "platform/safe_file.h"
#include "platform/user_state_folder.h"

namespace tovrik {
namespace {

// Workers of one process (a station programs several chips at once) share the
// folder: finding a free name and writing it must not interleave, or two
// backups taken in the same second would get the same name and one be lost.
std::mutex& FolderMutex()
{
    static std::mutex mutex;
    return mutex;
}

namespace fs = std::filesystem;

// The largest fitted EEPROM; no backup is longer.
constexpr std::uint32_t kLargestEeprom = 2048;

// What orders backups: the time, then the -N of a name taken within one second.
struct BackupName {
    std::string stamp;   // 20261208-141503
    std::string device;  // 1209-0001
    int sequence = 1;
};

// Parses NAME.bin as written by NewName; false for any other file.
bool ParseName(const std::string& name, BackupName& parsed)
{
    // 15 characters of time, '-', 9 of ids, then ".bin" or "-N.bin".
    if (name.size() < 29 || name.compare(name.size() - 4, 4, ".bin") != 0 || name[8] != '-' ||
        name[15] != '-' || name[20] != '-') {
        return false;
    }
    parsed.stamp = name.substr(0, 15);
    parsed.device = name.substr(16, 9);
    const std::string rest = name.substr(25, name.size() - 29);
    if (rest.empty()) {
        parsed.sequence = 1;
        return true;
    }
    if (rest.size() < 2 || rest.size() > 6 || rest[0] != '-' ||
        !std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    parsed.sequence = std::atoi(rest.c_str() + 1);
    return true;
}

bool Newer(const BackupName& a, const BackupName& b)
{
    return std::tie(a.stamp, a.sequence) > std::tie(b.stamp, b.sequence);
}

std::string DeviceText(std::uint16_t vendorId, std::uint16_t productId)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X-%04X", vendorId, productId);
    return text;
}

struct Listed {
    BackupName parsed;
    std::string name;
    std::uintmax_t size = 0;
};

std::vector<Listed> ListFolder(const std::string& folder)
{
    std::vector<Listed> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // A symlink is never a backup: listing it would let pruning delete what it points to
        // and let it stand in for a backup that is not there.
        std::error_code typeError;
        if (!fs::is_regular_file(it->symlink_status(typeError))) {
            continue;
        }
        Listed entry;
        entry.name = it->path().filename().string();
        if (!ParseName(entry.name, entry.parsed)) {
            continue;
        }
        entry.size = it->file_size(typeError);
        found.push_back(std::move(entry));
    }
    std::sort(found.begin(), found.end(),
              [](const Listed& a, const Listed& b) { return Newer(a.parsed, b.parsed); });
    return found;
}

std::string NameOf(const std::string& path)
{
    return fs::path(path).filename().string();
}

}  // namespace

std::string BackupKeeper::DefaultFolder()
{
    const std::string state = UserStateFolder();
    return state.empty() ? std::string() : state + "/tovrik/backups";
}

BackupKeeper::BackupKeeper(std::string folder)
    : folder_(std::move(folder)), clock_([] { return std::time(nullptr); })
{
}

bool BackupKeeper::EnsureFolder()
{
    if (folder_.empty()) {
        lastError_ = "no folder for backups: neither XDG_STATE_HOME, HOME nor LOCALAPPDATA is set";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (!fs::is_directory(folder_, ec)) {
        lastError_ = folder_ + ": the backup folder cannot be made";
        return false;
    }
    return true;
}

std::string BackupKeeper::NewName(std::uint16_t vendorId, std::uint16_t productId) const
{
    // Calendar arithmetic of the standard library, so no system time call is needed.
    using namespace std::chrono;
    const sys_seconds now{seconds{clock_()}};
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    const std::string base = std::string(stamp) + "-" + DeviceText(vendorId, productId);
    std::string name = base + ".bin";
    for (int n = 2; FileExists(folder_ + "/" + name) && n < 100000; ++n) {
        name = base + "-" + std::to_string(n) + ".bin";
    }
    return name;
}

int BackupKeeper::KeepBefore(DeviceLibrary& library, std::uint16_t vendorId,
                             std::uint16_t productId, std::uint32_t address, std::uint32_t count)
{
    lastPath_.clear();
    lastError_.clear();
    const std::uint32_t end =
        address >= kLargestEeprom ? kLargestEeprom
                                  : std::min(kLargestEeprom, address + std::min(count, kLargestEeprom));
    std::vector<std::uint8_t> content(std::max(end, kMinimumBackupBytes));
    if (library.ReadEepromForBackup(0, content.data(),
                                    static_cast<std::uint32_t>(content.size())) == 0) {
        lastError_ = "the EEPROM could not be read for a backup";
        return 0;
    }
    std::lock_guard folderLock(FolderMutex());
    if (!EnsureFolder()) {
        return 0;
    }
    const std::string device = DeviceText(vendorId, productId);
    for (const Listed& entry : ListFolder(folder_)) {
        if (entry.parsed.device != device) {
            continue;
        }
        std::vector<std::uint8_t> newest;
        std::string ignored;
        if (ReadFileBounded(folder_ + "/" + entry.name, kLargestEeprom, newest, ignored) &&
            newest == content) {
            lastPath_ = folder_ + "/" + entry.name;
            return 1;
        }
        break;
    }
    const std::string path = folder_ + "/" + NewName(vendorId, productId);
    if (!WriteFileSafely(path, content, lastError_)) {
        return 0;
    }
    lastPath_ = path;
    Prune(NameOf(path));
    return 1;
}

std::vector<BackupEntry> BackupKeeper::List() const
{
    std::vector<BackupEntry> entries;
    for (Listed& entry : ListFolder(folder_)) {
        entries.push_back({std::move(entry.name), entry.size});
    }
    return entries;
}

void BackupKeeper::Prune(const std::string& justWritten) const
{
    // The backup just written stays whatever the names say (a clock set back, files dated in
    // the future): the user was told it was kept. The others fill the remaining places.
    std::size_t kept = 1;
    for (const Listed& entry : ListFolder(folder_)) {
        if (entry.name == justWritten) {
            continue;
        }
        if (kept < kKeptBackups) {
            ++kept;
            continue;
        }
        std::error_code ec;
        fs::remove(folder_ + "/" + entry.name, ec);
    }
}

}  // namespace tovrik
