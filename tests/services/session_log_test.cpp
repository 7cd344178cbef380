// SPDX-License-Identifier: MIT
#include "services/session_log.h"
#include "support/posix_shim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/fitted_line.h"

namespace tovrik {
namespace {

namespace fs = std::filesystem;

// 2026-12-08 14:15:03 UTC.
constexpr std::time_t kNoon = 1796739303;
constexpr std::time_t kDay = 24 * 60 * 60;

class SessionLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "session-log-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        folder = dir + "/state/tovrik/log";
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string Contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Touch(const fs::path& path) { std::ofstream(path) << "old\n"; }

    static LogEntry Entry(std::string command)
    {
        LogEntry entry;
        entry.command = std::move(command);
        entry.outcome = "done";
        entry.duration = std::chrono::microseconds(412000);
        entry.bytesWritten = 256;
        entry.backup = "/b/20261208-141503-1209-0001.bin";
        return entry;
    }

    std::string dir;
    std::string folder;
};

TEST_F(SessionLogTest, EachCommandIsOneLineInTheFileOfItsDayAndTheListKeepsThemAll)
{
    SessionLog log(folder);
    std::time_t now = kNoon;
    log.SetClock([&] { return now; });
    ASSERT_TRUE(log.Add(Entry("Save EEPROM"))) << log.LastError();
    LogEntry cancelled = Entry("Erase");
    cancelled.outcome = "cancelled";
    cancelled.bytesWritten = 0;
    cancelled.backup.clear();
    ASSERT_TRUE(log.Add(cancelled));
    // Just past midnight the next day's file begins.
    now = kNoon + 10 * 60 * 60;
    ASSERT_TRUE(log.Add(Entry("Restore x.bin")));

    // A backup is named with the system's separators.
    const std::string backup = WithSystemSeparators("/b/20261208-141503-1209-0001.bin");
    EXPECT_EQ(Contents(folder + "/2026-12-08.log"),
              "2026-12-08 14:15:03 | Save EEPROM | done | 0.41 s | 256 bytes written | backup " +
                  backup +
                  "\n"
                  "2026-12-08 14:15:03 | Erase | cancelled | 0.41 s | 0 bytes written | no "
                  "backup\n");
    EXPECT_EQ(Contents(folder + "/2026-12-09.log"),
              "2026-12-09 00:15:03 | Restore x.bin | done | 0.41 s | 256 bytes written | backup " +
                  backup + "\n");
    ASSERT_EQ(log.Entries().size(), 3u);
    EXPECT_EQ(log.Text(),
              Contents(folder + "/2026-12-08.log") + Contents(folder + "/2026-12-09.log"));
    EXPECT_EQ(log.DayFile(now), folder + "/2026-12-09.log");
}

TEST_F(SessionLogTest, OnlyTheNewestThirtyDayFilesStayAndNeitherTheCurrentNorOtherFilesGo)
{
    fs::create_directories(folder);
    // 32 older days, a file of another name, and a folder named like a day.
    for (int back = 1; back <= 32; ++back) {
        SessionLog namer(folder);
        Touch(namer.DayFile(kNoon - back * kDay));
    }
    Touch(folder + "/notes.txt");
    fs::create_directories(folder + "/2026-01-01.log");

    SessionLog log(folder);
    log.SetClock([] { return kNoon; });
    ASSERT_TRUE(log.Add(Entry("Connect")));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    // Today and the 29 days before it; 2026-11-08 and the days before it went.
    EXPECT_EQ(std::count_if(left.begin(), left.end(),
                            [](const std::string& n) { return n.size() == 14 && n[0] == '2'; }),
              31);  // 30 day files and the folder named like a day
    EXPECT_TRUE(fs::exists(folder + "/2026-12-08.log"));
    EXPECT_TRUE(fs::exists(folder + "/2026-11-09.log"));
    EXPECT_FALSE(fs::exists(folder + "/2026-11-08.log"));
    EXPECT_FALSE(fs::exists(folder + "/2026-11-06.log"));
    EXPECT_TRUE(fs::exists(folder + "/notes.txt"));
    EXPECT_TRUE(fs::is_directory(folder + "/2026-01-01.log"));

    // A clock set back: the current day is older than all the others, and stays.
    SessionLog behind(folder);
    behind.SetClock([] { return kNoon - 400 * kDay; });
    ASSERT_TRUE(behind.Add(Entry("Connect")));
    EXPECT_TRUE(fs::exists(behind.DayFile(kNoon - 400 * kDay)));
    EXPECT_TRUE(fs::exists(folder + "/2026-11-09.log"));
}

TEST_F(SessionLogTest, AFolderThatCannotBeMadeKeepsTheEntryListedAndSaysWhy)
{
    Touch(dir + "/state");  // a file where the folder would go
    SessionLog log(folder);
    log.SetClock([] { return kNoon; });
    EXPECT_FALSE(log.Add(Entry("Save EEPROM")));
    EXPECT_NE(log.LastError().find("cannot be made"), std::string::npos) << log.LastError();
    EXPECT_EQ(log.Entries().size(), 1u);

    // Without a folder the log is listed, and kept nowhere.
    SessionLog memoryOnly("");
    EXPECT_TRUE(memoryOnly.Add(Entry("Connect")));
    EXPECT_EQ(memoryOnly.Entries().size(), 1u);
    EXPECT_EQ(memoryOnly.LastError(), "");
}

}  // namespace
}  // namespace tovrik
