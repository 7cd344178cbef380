// SPDX-License-Identifier: MIT
// What the safe file layer shares on every system: the write limit tests set.
#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/safe_file.h"

namespace tovrik {
namespace {

std::mutex& LimitMutex()
{
    static std::mutex mutex;
    return mutex;
}

FileWriteLimit& Limit()
{
    static FileWriteLimit limit;
    return limit;
}

}  // namespace

void SetFileWriteLimitForTesting(FileWriteLimit limit)
{
    std::lock_guard lock(LimitMutex());
    Limit() = std::move(limit);
}

std::size_t FileWriteAllowance(std::size_t count)
{
    std::lock_guard lock(LimitMutex());
    return Limit() ? std::min(count, Limit()(count)) : count;
}

}  // namespace tovrik
