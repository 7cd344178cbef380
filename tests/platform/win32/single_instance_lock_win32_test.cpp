// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/single_instance_lock.h"

namespace tovrik {
namespace {

using Status = SingleInstanceLock::Status;

TEST(SingleInstanceLockWin32Test, TheNamedMutexRefusesASecondHolderUntilReleased)
{
    const std::string scope = "lock-test";
    auto first = SingleInstanceLock::TryAcquire(kToolInstanceName, scope);
    ASSERT_EQ(first.status, Status::Acquired);
    EXPECT_EQ(first.lock->Path(), "lock-test_TOVRIK Configuration Tool ");
    EXPECT_EQ(SingleInstanceLock::TryAcquire(kToolInstanceName, scope).status,
              Status::HeldElsewhere);
    // The trailing blank is part of the name.
    EXPECT_NE(SingleInstanceLock::Acquire("TOVRIK Configuration Tool", scope), nullptr);
    first.lock.reset();
    EXPECT_NE(SingleInstanceLock::Acquire(kToolInstanceName, scope), nullptr);
}

TEST(SingleInstanceLockWin32Test, NamesThatWouldLeaveTheSessionAreRefused)
{
    EXPECT_EQ(SingleInstanceLock::TryAcquire("", "lock-test").status, Status::Unavailable);
    EXPECT_EQ(SingleInstanceLock::TryAcquire("Global\\tool", {}).status, Status::Unavailable);
}

}  // namespace
}  // namespace tovrik
