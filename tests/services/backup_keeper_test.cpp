// SPDX-License-Identifier: MIT
#include "support/posix_shim.h"
#include "services/backup_keeper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

namespace fs = std::filesystem;

// 2026-12-08 14:15:03 UTC.
constexpr std::time_t kNoon = 1796739303;

class BackupKeeperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "backups-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        keeper = std::make_unique<BackupKeeper>(dir + "/state/tovrik/backups");
        keeper->SetClock([this] { return now; });
        for (std::size_t i = 0; i < library.eeprom.size(); ++i) {
            library.eeprom[i] = static_cast<std::uint8_t>(i);
        }
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string dir;
    std::time_t now = kNoon;
    std::unique_ptr<BackupKeeper> keeper;
    MemoryEepromLibrary library;
};

TEST_F(BackupKeeperTest, KeepsTheEepromOnceUntilItChanges)
{
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 16, 4), 1) << keeper->LastError();
    const std::string first = keeper->LastPath();
    EXPECT_EQ(fs::path(first).filename(), "20261208-141503-1209-0001.bin");
    EXPECT_EQ(Contents(first), std::string(library.eeprom.begin(), library.eeprom.end()));

    // Nothing changed: the newest backup already holds it.
    now += 60;
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 0, 256), 1);
    EXPECT_EQ(keeper->LastPath(), first);
    // Another device has no backup yet, whatever its bytes.
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0002, 0, 256), 1);
    EXPECT_NE(keeper->LastPath(), first);

    // Changed twice within one second: both kept, the later listed first.
    library.eeprom[3] = 0xAA;
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 0, 256), 1);
    library.eeprom[3] = 0xBB;
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 0, 256), 1);
    const std::vector<BackupEntry> list = keeper->List();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "20261208-141603-1209-0001-2.bin");
    EXPECT_EQ(list[1].name, "20261208-141603-1209-0001.bin");
    EXPECT_EQ(list[0].size, 256u);
    EXPECT_EQ(Contents(dir + "/state/tovrik/backups/" + list[0].name)[3], '\xBB');

    // Back to what an older backup holds: the newest holds something else, so it is kept again.
    library.eeprom[3] = 0xAA;
    now += 1;
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 0, 256), 1);
    EXPECT_EQ(fs::path(keeper->LastPath()).filename(), "20261208-141604-1209-0001.bin");
    EXPECT_EQ(keeper->List().size(), 5u);
}

TEST_F(BackupKeeperTest, OnlyTheNewestAreKept)
{
    for (std::size_t i = 0; i <= BackupKeeper::kKeptBackups; ++i) {
        library.eeprom[0] = static_cast<std::uint8_t>(i);
        library.eeprom[1] = static_cast<std::uint8_t>(i >> 8);
        now += 1;
        ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 0, 1), 1);
    }
    const std::vector<BackupEntry> list = keeper->List();
    ASSERT_EQ(list.size(), BackupKeeper::kKeptBackups);
    EXPECT_EQ(fs::path(keeper->LastPath()).filename(), list.front().name);
    EXPECT_FALSE(fs::exists(dir + "/state/tovrik/backups/20261208-141504-1209-0001.bin"));
}

TEST_F(BackupKeeperTest, TheBackupJustWrittenSurvivesAFullFolderOfLaterNames)
{
    // A full folder of backups dated a year ahead: by name the new one is the oldest.
    const std::string folder = dir + "/state/tovrik/backups";
    fs::create_directories(folder);
    for (std::size_t i = 0; i < BackupKeeper::kKeptBackups; ++i) {
        std::ofstream(folder + "/20271208-" + std::to_string(100000 + i) + "-1209-0001.bin")
            << "old";
    }
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 0, 256), 1) << keeper->LastError();
    ASSERT_TRUE(fs::exists(keeper->LastPath())) << keeper->LastPath();
    EXPECT_EQ(Contents(keeper->LastPath()),
              std::string(library.eeprom.begin(), library.eeprom.end()));
    const std::vector<BackupEntry> list = keeper->List();
    ASSERT_EQ(list.size(), BackupKeeper::kKeptBackups);
    EXPECT_EQ(list.back().name, fs::path(keeper->LastPath()).filename());
    // The oldest of the others made room.
    EXPECT_FALSE(fs::exists(folder + "/20271208-100000-1209-0001.bin"));
    EXPECT_TRUE(fs::exists(folder + "/20271208-100001-1209-0001.bin"));
}

TEST_F(BackupKeeperTest, ASymlinkInTheFolderIsNoBackup)
{
    const std::string folder = dir + "/state/tovrik/backups";
    fs::create_directories(folder);
    // Points at a file holding exactly what the chip holds: were it a backup, nothing new
    // would be kept, and pruning could delete what it points to.
    const std::string outside = dir + "/outside.bin";
    std::ofstream(outside, std::ios::binary)
        .write(reinterpret_cast<const char*>(library.eeprom.data()), 256);
    std::error_code linkError;
    fs::create_symlink(outside, folder + "/20291208-141503-1209-0001.bin", linkError);
    if (linkError) {
        GTEST_SKIP() << "this system lets no test make a symlink: " << linkError.message();
    }
    EXPECT_TRUE(keeper->List().empty());
    ASSERT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 0, 256), 1) << keeper->LastError();
    EXPECT_EQ(fs::path(keeper->LastPath()).filename(), "20261208-141503-1209-0001.bin");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(keeper->LastPath())));
    ASSERT_EQ(keeper->List().size(), 1u);
    EXPECT_TRUE(fs::exists(outside));
}

TEST_F(BackupKeeperTest, AFailedReadKeepsNothingAndSaysSo)
{
    // Past this 256-byte EEPROM: the read fails like the write would.
    EXPECT_EQ(keeper->KeepBefore(library, 0x1209, 0x0001, 300, 4), 0);
    EXPECT_TRUE(keeper->LastPath().empty());
    EXPECT_FALSE(keeper->LastError().empty());
    EXPECT_TRUE(keeper->List().empty());
}

TEST_F(BackupKeeperTest, WorkersSharingTheFolderInOneSecondEachKeepTheirOwnBackup)
{
    constexpr int kWorkers = 6;
    constexpr int kRounds = 5;
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([this, w] {
            BackupKeeper own(dir + "/state/tovrik/backups");
            own.SetClock([] { return kNoon; });
            MemoryEepromLibrary chip;
            for (int round = 0; round < kRounds; ++round) {
                chip.eeprom.fill(static_cast<std::uint8_t>(w * kRounds + round));
                EXPECT_EQ(own.KeepBefore(chip, 0x1209, 0x0001, 0, 256), 1) << own.LastError();
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(keeper->List().size(), static_cast<std::size_t>(kWorkers * kRounds));
}

TEST(BackupFolderTest, FollowsXdgStateHomeThenTheSystemsUserFolder)
{
    const char* oldState = std::getenv("XDG_STATE_HOME");
    const std::string saved = oldState != nullptr ? oldState : "";
    setenv("XDG_STATE_HOME", "/x/state", 1);
    EXPECT_EQ(BackupKeeper::DefaultFolder(), "/x/state/tovrik/backups");
    setenv("XDG_STATE_HOME", "relative", 1);
    const char* home = std::getenv("HOME");
    const char* local = std::getenv("LOCALAPPDATA");
#ifdef _WIN32
    // On Windows the local application data folder comes before any HOME.
    if (local != nullptr) {
        home = nullptr;
    }
#endif
    if (home != nullptr) {
        EXPECT_EQ(BackupKeeper::DefaultFolder(), std::string(home) + "/.local/state/tovrik/backups");
    } else if (local != nullptr) {
        EXPECT_EQ(BackupKeeper::DefaultFolder(), std::string(local) + "/tovrik/backups");
    }
    if (oldState != nullptr) {
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
}

}  // namespace
}  // namespace tovrik
