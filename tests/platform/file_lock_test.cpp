// SPDX-License-Identifier: MIT
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace tovrik {
namespace {

namespace fs = std::filesystem;

class FileLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "file-lock-XXXXXX");
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    // What another process gets when it asks for the lock on `path` now.
    static FileLock::Status StatusInAnotherProcess(const std::string& path)
    {
        const pid_t child = fork();
        if (child == 0) {
            _exit(static_cast<int>(FileLock::TryAcquire(path).status));
        }
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        return static_cast<FileLock::Status>(WEXITSTATUS(status));
    }

    std::string dir;
};

TEST_F(FileLockTest, OneHolderAtATimeInThisProcessAndAnother)
{
    const std::string path = dir + "/chip.bin";
    FileLock::Result first = FileLock::TryAcquire(path);
    ASSERT_EQ(first.status, FileLock::Status::Acquired) << first.error;
    ASSERT_NE(first.lock, nullptr);
    EXPECT_TRUE(fs::exists(FileLock::LockPathOf(path)));

    const FileLock::Result second = FileLock::TryAcquire(path);
    EXPECT_EQ(second.status, FileLock::Status::HeldElsewhere);
    EXPECT_EQ(second.lock, nullptr);
    EXPECT_EQ(StatusInAnotherProcess(path), FileLock::Status::HeldElsewhere);
    // Another file is free.
    EXPECT_EQ(FileLock::TryAcquire(dir + "/other.bin").status, FileLock::Status::Acquired);

    first.lock.reset();
    EXPECT_EQ(StatusInAnotherProcess(path), FileLock::Status::Acquired);
    EXPECT_EQ(FileLock::TryAcquire(path).status, FileLock::Status::Acquired);
}

TEST_F(FileLockTest, AMissingFolderMakesTheLockUnavailableAndSaysWhy)
{
    const FileLock::Result result = FileLock::TryAcquire(dir + "/missing/chip.bin");
    EXPECT_EQ(result.status, FileLock::Status::Unavailable);
    EXPECT_NE(result.error.find(dir + "/missing/chip.bin.lock"), std::string::npos) << result.error;
}

}  // namespace
}  // namespace tovrik
