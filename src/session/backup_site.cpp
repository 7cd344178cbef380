// SPDX-License-Identifier: MIT
#include "session/backup_site.h"

#include <algorithm>

#include "services/backup_keeper.h"

namespace tovrik {

namespace {

constexpr std::uint32_t kImageBytes = 256;

}  // namespace

bool KeepBackup(DeviceLibrary& library, std::uint16_t vendorId, std::uint16_t productId,
                std::uint32_t count, std::string& where, std::string& error)
{
    BackupKeeper keeper;
    if (keeper.KeepBefore(library, vendorId, productId, 0, std::max(count, kImageBytes)) == 0) {
        error = keeper.LastError();
        return false;
    }
    where = keeper.LastPath();
    return true;
}

}  // namespace tovrik
