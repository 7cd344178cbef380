// SPDX-License-Identifier: MIT
#include "platform/safe_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tovrik {
namespace {

namespace fs = std::filesystem;

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "safe-file-XXXXXX");
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void Put(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    bool Write(const std::string& path, const std::string& text, std::string& error)
    {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        return WriteFileSafely(path, {bytes, text.size()}, error);
    }

    std::string dir;
};

TEST_F(SafeFileTest, ReplacesTheTargetKeepingItsModeAndLeavingNoTemporaryFile)
{
    const std::string path = dir + "/image.bin";
    // The group's and others' bits too, whatever the temporary file was made with.
    for (const mode_t mode : {0600, 0644, 0640}) {
        Put(path, "old");
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        std::string error;
        ASSERT_TRUE(Write(path, "new bytes", error)) << error;
        EXPECT_EQ(Read(path), "new bytes");
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SafeFileTest, ASymlinkedTargetIsWrittenWhereItPointsAndStaysALink)
{
    fs::create_directory(dir + "/real");
    const std::string target = dir + "/real/image.bin";
    Put(target, "old");
    fs::create_symlink("real/image.bin", dir + "/link.bin");
    // A link planted where a predictable temporary name would be changes nothing.
    Put(dir + "/victim", "keep");
    fs::create_symlink(dir + "/victim", dir + "/link.bin.part");
    std::string error;
    ASSERT_TRUE(Write(dir + "/link.bin", "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir + "/link.bin"));
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Read(dir + "/victim"), "keep");
}

TEST_F(SafeFileTest, TargetsThatAreNoRegularFileAreRefusedByName)
{
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir + "/folder";
    ASSERT_TRUE(fs::create_directory(folder));
    for (const std::string& path : {fifo, folder}) {
        std::string error;
        EXPECT_FALSE(Write(path, "x", error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(SafeFileTest, AReadOnlyTargetIsRefusedAndKept)
{
    const std::string path = dir + "/kept.bin";
    Put(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    std::string error;
    EXPECT_FALSE(Write(path, "new", error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// Plays a full disk: the first write puts down `first` bytes, every later one none.
class FullDisk {
public:
    explicit FullDisk(std::size_t first)
    {
        SetFileWriteLimitForTesting([first, calls = 0](std::size_t count) mutable {
            return calls++ == 0 ? std::min(first, count) : std::size_t{0};
        });
    }
    ~FullDisk() { SetFileWriteLimitForTesting({}); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

TEST_F(SafeFileTest, AnAppendTheDiskCannotHoldLeavesNoHalfLineAndSaysWhy)
{
    const std::string log = dir + "/log.csv";
    std::string error;
    ASSERT_TRUE(AppendFileDurably(log, "a,1\n", error)) << error;
    {
        const FullDisk full(3);
        EXPECT_FALSE(AppendFileDurably(log, "b,2,long line\n", error));
    }
    EXPECT_NE(error.find(log), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
    EXPECT_EQ(Read(log), "a,1\n");
    ASSERT_TRUE(AppendFileDurably(log, "c,3\n", error)) << error;
    EXPECT_EQ(Read(log), "a,1\nc,3\n");
}

TEST_F(SafeFileTest, AShortWriteIsFollowedByTheRest)
{
    const std::string log = dir + "/log.csv";
    std::string error;
    SetFileWriteLimitForTesting([](std::size_t count) { return std::min<std::size_t>(count, 2); });
    const bool appended = AppendFileDurably(log, "a,1\nb,2\n", error);
    SetFileWriteLimitForTesting({});
    ASSERT_TRUE(appended) << error;
    EXPECT_EQ(Read(log), "a,1\nb,2\n");
}

TEST_F(SafeFileTest, AppendsGoToTheEndOfARegularFileOnly)
{
    const std::string log = dir + "/log.csv";
    std::string error;
    ASSERT_TRUE(AppendFileDurably(log, "a,1\n", error)) << error;
    ASSERT_TRUE(AppendFileDurably(log, "b,2\n", error)) << error;
    EXPECT_EQ(Read(log), "a,1\nb,2\n");
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(AppendFileDurably(fifo, "x", error));  // refused at once, never waiting for a reader
    EXPECT_NE(error.find(fifo), std::string::npos) << error;
}

TEST_F(SafeFileTest, ReadsAreBoundedAndNeverWaitOnAFifo)
{
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::uint8_t> bytes;
    std::string error;
    // Opening a FIFO for reading would wait for a writer: this returns at once.
    EXPECT_FALSE(ReadFileBounded(fifo, 16, bytes, error));
    EXPECT_FALSE(ReadFileBounded("/dev/zero", 16, bytes, error));
    EXPECT_FALSE(ReadFilePrefix("/dev/zero", 16, bytes, error));

    const std::string path = dir + "/file";
    Put(path, std::string(17, 'a'));
    EXPECT_FALSE(ReadFileBounded(path, 16, bytes, error));
    ASSERT_TRUE(ReadFileBounded(path, 17, bytes, error));
    EXPECT_EQ(bytes.size(), 17u);
    ASSERT_TRUE(ReadFilePrefix(path, 16, bytes, error));
    EXPECT_EQ(bytes.size(), 16u);
}

}  // namespace
}  // namespace tovrik
