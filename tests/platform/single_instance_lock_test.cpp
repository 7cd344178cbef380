// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/single_instance_lock.h"

namespace tovrik {
namespace {

using Status = SingleInstanceLock::Status;

class SingleInstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lock-test-XXXXXX");
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string dir;
};

TEST_F(SingleInstanceLockTest, ASecondHolderIsRefusedUntilTheFirstReleases)
{
    auto first = SingleInstanceLock::TryAcquire(kToolInstanceName, dir);
    ASSERT_EQ(first.status, Status::Acquired);
    ASSERT_NE(first.lock, nullptr);
    EXPECT_EQ(first.lock->Path(), dir + "/TOVRIK Configuration Tool ");

    // A second open of the same file in this process is another holder.
    auto second = SingleInstanceLock::TryAcquire(kToolInstanceName, dir);
    EXPECT_EQ(second.status, Status::HeldElsewhere);
    EXPECT_EQ(second.lock, nullptr);
    EXPECT_EQ(SingleInstanceLock::Acquire(kToolInstanceName, dir), nullptr);

    // Another name is another lock.
    EXPECT_NE(SingleInstanceLock::Acquire("TOVRIK Configuration Tool", dir), nullptr);

    first.lock.reset();
    // Released, but the file stays so no two holders can ever lock different files.
    EXPECT_TRUE(std::filesystem::exists(dir + "/TOVRIK Configuration Tool "));
    auto again = SingleInstanceLock::Acquire(kToolInstanceName, dir);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(SingleInstanceLock::TryAcquire(kToolInstanceName, dir).status, Status::HeldElsewhere);
}

// Kills and reaps a forked child however the test ends, so a failed check leaves no process behind.
class ChildProcess {
public:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    ~ChildProcess() { Kill(); }

    // The child's wait status after SIGKILL, or -1 when it was already reaped.
    int Kill()
    {
        int status = -1;
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        return status;
    }

private:
    pid_t pid_;
};

TEST_F(SingleInstanceLockTest, AKilledHolderDoesNotLockTheNextOneOut)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(ready[0]);
        auto lock = SingleInstanceLock::Acquire(kToolInstanceName, dir);
        char held = lock ? 'y' : 'n';
        if (write(ready[1], &held, 1) != 1) {
            _exit(2);
        }
        for (;;) {
            pause();
        }
    }
    ChildProcess child(pid);
    close(ready[1]);
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    close(ready[0]);
    ASSERT_EQ(held, 'y');

    EXPECT_EQ(SingleInstanceLock::TryAcquire(kToolInstanceName, dir).status, Status::HeldElsewhere);

    const int status = child.Kill();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_NE(SingleInstanceLock::Acquire(kToolInstanceName, dir), nullptr);
}

TEST_F(SingleInstanceLockTest, AMissingLockFileIsToldApartFromARunningInstance)
{
    // The last directory level is created privately when missing.
    auto made = SingleInstanceLock::TryAcquire(kToolInstanceName, dir + "/sub");
    ASSERT_EQ(made.status, Status::Acquired);
    struct stat info {};
    ASSERT_EQ(stat((dir + "/sub").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A directory below a plain file can never be made.
    std::ofstream(dir + "/file") << "x";
    auto blocked = SingleInstanceLock::TryAcquire(kToolInstanceName, dir + "/file/sub");
    EXPECT_EQ(blocked.status, Status::Unavailable);
    EXPECT_EQ(blocked.lock, nullptr);
    EXPECT_EQ(blocked.error, ENOTDIR);
    EXPECT_EQ(blocked.path, dir + "/file/sub");

    // A plain file where the directory should be.
    EXPECT_EQ(SingleInstanceLock::TryAcquire(kToolInstanceName, dir + "/file").status,
              Status::Unavailable);

    // A symlink planted at the lock's path is not followed.
    std::filesystem::create_symlink(dir + "/file", dir + "/planted");
    auto planted = SingleInstanceLock::TryAcquire("planted", dir);
    EXPECT_EQ(planted.status, Status::Unavailable);
    EXPECT_EQ(planted.error, ELOOP);

    EXPECT_EQ(SingleInstanceLock::TryAcquire("", dir).status, Status::Unavailable);
    EXPECT_EQ(SingleInstanceLock::TryAcquire("a/b", dir).status, Status::Unavailable);
}

// Restores one environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(SingleInstanceLockTest, TheRuntimeDirectoryComesFromTheEnvironmentWhenUsable)
{
    {
        ScopedEnv env("XDG_RUNTIME_DIR", dir.c_str());
        EXPECT_EQ(SingleInstanceLock::RuntimeDirectory(), dir);
        auto lock = SingleInstanceLock::Acquire(kToolInstanceName);
        ASSERT_NE(lock, nullptr);
        EXPECT_EQ(lock->Path(), dir + "/TOVRIK Configuration Tool ");
    }
    // Not a directory: the private per-user fallback, owned by us and closed to others.
    ScopedEnv env("XDG_RUNTIME_DIR", (dir + "/missing").c_str());
    const std::string fallback = SingleInstanceLock::RuntimeDirectory();
    EXPECT_EQ(fallback, "/tmp/tovrik-" + std::to_string(getuid()));
    struct stat info {};
    ASSERT_EQ(lstat(fallback.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_uid, getuid());

    // A directory others may write to is no place for our lock, even when named.
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    ScopedEnv open("XDG_RUNTIME_DIR", dir.c_str());
    EXPECT_EQ(SingleInstanceLock::RuntimeDirectory(), fallback);
}

}  // namespace
}  // namespace tovrik
