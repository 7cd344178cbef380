#include "backup_site.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "device/device_library.h"
#include "device_access.h"

namespace tovrik::cli {

namespace {

constexpr std::uint32_t kImageBytes = 256;

std::filesystem::path BackupFolder()
{
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
        return std::filesystem::path(state) / "tovrik" / "backups";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".local" / "state" / "tovrik" /
           "backups";
}

std::string Stamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace

// TODO(backups): this interim writer gives way to the core's backup keeper
// once that exists; the callers stay as they are.
bool KeepBackup(DeviceLibrary& library, std::uint16_t vendorId, std::uint16_t productId,
                std::uint32_t count, std::string& where, std::string& error)
{
    std::vector<std::uint8_t> content(std::max<std::uint32_t>(count, kImageBytes));
    if (library.rmBurnEEPROM(kEepromRead, 0, content.data(),
                             static_cast<std::uint32_t>(content.size())) == 0) {
        error = "cannot read the EEPROM for its backup";
        return false;
    }
    const std::filesystem::path folder = BackupFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string base = Stamp() + "-" + Hex4(vendorId) + "-" + Hex4(productId);
    // Units programmed in the same second get numbered names; none is overwritten.
    for (int n = 1; n < 1000; ++n) {
        const std::filesystem::path file =
            folder / (base + (n == 1 ? "" : "-" + std::to_string(n)) + ".bin");
        const int fd =
            ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            error = "cannot create a backup in " + folder.string() + ": " + std::strerror(errno);
            return false;
        }
        const bool written =
            ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
            ::fsync(fd) == 0;
        ::close(fd);
        if (!written) {
            error = "cannot write the backup " + file.string();
            return false;
        }
        where = file.string();
        return true;
    }
    error = "too many backups named " + base + " in " + folder.string();
    return false;
}

}  // namespace tovrik::cli
