// SPDX-License-Identifier: MIT
#include "services/write_journal.h"
#include "support/posix_shim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/safe_file.h"
#include "services/backup_restore.h"
#include "services/journaled_library.h"
#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

namespace fs = std::filesystem;

class WriteJournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "journal-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        journal = std::make_unique<WriteJournal>(dir + "/journal");
    }
    void TearDown() override { fs::remove_all(dir); }

    static JournalRecord Record(const std::string& serial)
    {
        JournalRecord r;
        r.chip = {0x1209, 0x0001, serial, "/dev/hidraw3"};
        r.writtenVendorId = 0x1209;
        r.writtenProductId = 0x0002;
        r.writtenSerial = "NEW";
        r.command = "device write a.bin";
        r.backup = "/state/tovrik/backups/20261208-141503-1209-0001.bin";
        r.address = 16;
        r.count = 240;
        return r;
    }

    std::string dir;
    std::unique_ptr<WriteJournal> journal;
};

TEST_F(WriteJournalTest, ARecordReadsBackAsWrittenUntilItIsFinished)
{
    std::string error;
    const std::string file = journal->Begin(Record("A\\1\nB"), error);
    ASSERT_FALSE(file.empty()) << error;
    const std::vector<JournalRecord> records = journal->Records();
    ASSERT_EQ(records.size(), 1u);
    const JournalRecord& r = records[0];
    EXPECT_EQ(r.chip.serial, "A\\1\nB");
    EXPECT_EQ(r.chip.where, "/dev/hidraw3");
    EXPECT_EQ(r.writtenProductId, 0x0002);
    EXPECT_EQ(r.writtenSerial, "NEW");
    EXPECT_EQ(r.command, "device write a.bin");
    EXPECT_EQ(r.backup, Record("").backup);
    EXPECT_EQ(r.address, 16u);
    EXPECT_EQ(r.count, 240u);
    EXPECT_EQ(r.file, file);

    journal->Finish(file);
    EXPECT_TRUE(journal->Records().empty());
}

TEST_F(WriteJournalTest, OpenRecordsAreThoseOfTheChipsIdentityBeforeOrAfter)
{
    std::string error;
    ASSERT_FALSE(journal->Begin(Record("UNIT-1"), error).empty());
    // Answered with before the write, or given by the written bytes.
    EXPECT_EQ(journal->OpenFor({0x1209, 0x0001, "UNIT-1", "/dev/hidraw9"}).size(), 1u);
    EXPECT_EQ(journal->OpenFor({0x1209, 0x0002, "NEW", ""}).size(), 1u);
    // An identical unit with another serial string, on the same port, is another chip.
    EXPECT_TRUE(journal->OpenFor({0x1209, 0x0001, "UNIT-2", "/dev/hidraw3"}).empty());
}

TEST_F(WriteJournalTest, ARecordWithoutItsBackupIsNoRecord)
{
    JournalRecord parsed;
    std::string text = FormatJournalRecord(Record("S"));
    ASSERT_TRUE(ParseJournalRecord(text, parsed));
    text.erase(text.find("backup="),
               text.find('\n', text.find("backup=")) - text.find("backup=") + 1);
    EXPECT_FALSE(ParseJournalRecord(text, parsed));
    EXPECT_FALSE(ParseJournalRecord("vid=1209\n", parsed));
    // A negative count is refused, not wrapped round.
    text = FormatJournalRecord(Record("S"));
    text.replace(text.find("count=240"), 9, "count=-4294967295");
    EXPECT_FALSE(ParseJournalRecord(text, parsed));
    // Nor is a file of another kind or version, whatever lines follow its first.
    text = FormatJournalRecord(Record("S"));
    text.replace(0, text.find('\n'), "tovrik write journal 2");
    EXPECT_FALSE(ParseJournalRecord(text, parsed));
}

// A library whose writes can be made to fail, as a cut cable would.
class FailingLibrary : public MemoryEepromLibrary {
public:
    bool failWrites = false;
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        if (direction == kEepromWrite && failWrites) {
            return 0;
        }
        return MemoryEepromLibrary::rmBurnEEPROM(direction, address, buffer, count);
    }
};

TEST_F(WriteJournalTest, ARecordGoesWhenItsRangeReadsBackEqualAndStaysAfterAFailedWrite)
{
    FailingLibrary inner;
    JournaledLibrary library(inner, *journal);
    std::string error;
    JournalRecord record = Record("S");
    record.address = 0;
    record.count = 8;
    ASSERT_TRUE(library.Begin(record, error)) << error;
    std::vector<std::uint8_t> bytes(4, 0x5A);
    ASSERT_EQ(library.rmBurnEEPROM(kEepromWrite, 0, bytes.data(), 4), 1);
    EXPECT_EQ(journal->Records().size(), 1u) << "half the range is not the write";
    ASSERT_EQ(library.rmBurnEEPROM(kEepromWrite, 4, bytes.data(), 4), 1);
    EXPECT_TRUE(journal->Records().empty());

    ASSERT_TRUE(library.Begin(record, error)) << error;
    inner.failWrites = true;
    EXPECT_EQ(library.rmBurnEEPROM(kEepromWrite, 0, bytes.data(), 4), 0);
    library.EndAction();
    EXPECT_EQ(journal->Records().size(), 1u);
}

TEST_F(WriteJournalTest, AnActionEndingWithoutAFailedWriteLeavesNoRecord)
{
    MemoryEepromLibrary inner;
    JournaledLibrary library(inner, *journal);
    std::string error;
    ASSERT_TRUE(library.Begin(Record("S"), error)) << error;
    std::vector<std::uint8_t> bytes(4, 0x11);
    ASSERT_EQ(library.rmBurnEEPROM(kEepromWrite, 16, bytes.data(), 4), 1);
    library.EndAction();
    EXPECT_TRUE(journal->Records().empty());
}

TEST_F(WriteJournalTest, AnActionCutOffByTheEndOfTheConnectionKeepsItsRecord)
{
    MemoryEepromLibrary inner;
    JournaledLibrary library(inner, *journal);
    std::string error;
    ASSERT_TRUE(library.Begin(Record("S"), error)) << error;
    std::vector<std::uint8_t> bytes(4, 0x11);
    ASSERT_EQ(library.rmBurnEEPROM(kEepromWrite, 16, bytes.data(), 4), 1);
    library.rmDeviceClose();
    // Whatever ends next is another action's, not the one the close cut off.
    library.EndAction();
    EXPECT_EQ(journal->Records().size(), 1u);
}

TEST_F(WriteJournalTest, ARestoreTakesTheNamedFileThenTheRecordsBackupThenTheNewestOfThisSerial)
{
    const std::vector<ChipBackup> backups = {
        {"/b/3.bin", "3.bin", "", 256, "OTHER", false},
        {"/b/2.bin", "2.bin", "", 256, "MINE", false},
        {"/b/1.bin", "1.bin", "", 256, "MINE", false},
    };
    const JournalChip mine{0x1209, 0x0001, "MINE", ""};
    EXPECT_EQ(ChooseRestore("x.bin", journal.get(), mine, backups).file, "x.bin");
    EXPECT_EQ(ChooseRestore("", journal.get(), mine, backups).file, "/b/2.bin");
    EXPECT_TRUE(
        ChooseRestore("", journal.get(), {0x1209, 0x0001, "THIRD", ""}, backups).file.empty());

    // A record whose backup exists wins over the newest backup.
    const std::string kept = dir + "/kept.bin";
    std::string error;
    ASSERT_TRUE(WriteFileSafely(kept, std::vector<std::uint8_t>(256, 1), error)) << error;
    JournalRecord record = Record("MINE");
    record.backup = kept;
    ASSERT_FALSE(journal->Begin(record, error).empty()) << error;
    EXPECT_EQ(ChooseRestore("", journal.get(), mine, backups).file, kept);
}

}  // namespace
}  // namespace tovrik
