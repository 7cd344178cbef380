// SPDX-License-Identifier: MIT
// The EEPROM page over the real library and a simulated chip.
#include <filesystem>

#include "demo_page_fixture.h"
#include "platform/safe_file.h"

namespace tovrik {
namespace {

using Bytes = std::vector<std::uint8_t>;

class EepromPageTest : public DemoPageTest {
protected:
    void SetUp() override
    {
        DemoPageTest::SetUp();
        Activate(EepromPage());
        calls.TakeCalls();
    }

    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    CEepromPage& page() { return EepromPage(); }
    std::string Text(int id) { return page().GetDlgItemText(id); }

    void WriteBytes(const std::string& address, const std::string& data)
    {
        page().GetDlgItem(IDC_EEPROM_ADDRESS)->TypeText(address);
        page().GetDlgItem(IDC_EEPROM_DATA)->TypeText(data);
        Click(page(), IDC_EEPROM_WRITE);
    }

    void ReadBytes(const std::string& address, const std::string& count)
    {
        page().GetDlgItem(IDC_EEPROM_ADDRESS)->TypeText(address);
        page().GetDlgItem(IDC_EEPROM_COUNT)->TypeText(count);
        Click(page(), IDC_EEPROM_READ);
    }

    std::string Path(const std::string& name)
    {
        std::filesystem::create_directories(folder);
        return (folder / name).string();
    }

    std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) /
        (std::string("eeprom_page_") +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(EepromPageTest, EveryActivationSetsTheSelectedSize)
{
    const Control* sizes = page().GetDlgItem(IDC_EEPROM_SIZE);
    EXPECT_FALSE(sizes->IsEnabled());
    EXPECT_EQ(sizes->GetCurSel(), 0);
    EXPECT_EQ(sizes->Items(), (Lines{"24C02 ->  256 bytes", "24C04 ->  512 bytes",
                                     "24C08 ->  1024 bytes", "24C16 ->  2048 bytes"}));

    Activate(GpioPage());
    calls.TakeCalls();
    Activate(page());
    EXPECT_EQ(calls.TakeCalls(), Lines{"rmSetEEPROMSize(1, 256)"});

    // The list follows its selection whenever it changes.
    page().GetDlgItem(IDC_EEPROM_SIZE)->SetCurSel(3);
    page().OnCommand(IDC_EEPROM_SIZE, Notify::SelChange);
    EXPECT_EQ(calls.TakeCalls(), Lines{"rmSetEEPROMSize(1, 2048)"});
    EXPECT_EQ(page().SelectedSize(), 2048);
    page().GetDlgItem(IDC_EEPROM_SIZE)->SetCurSel(-1);
    page().OnCommand(IDC_EEPROM_SIZE, Notify::SelChange);
    EXPECT_EQ(calls.TakeCalls(), Lines{});
}

TEST_F(EepromPageTest, MoreBytesThanTheBufferHoldsAreRefusedBeforeAnyTransfer)
{
    std::string groups;
    for (int i = 0; i < CEepromPage::kBufferSize + 1; ++i) {
        groups += "5a ";
    }
    WriteBytes("0", groups);
    EXPECT_EQ(prompter.Messages(), Lines{"Fail to write Generic data, at most 2048 bytes"});
    ReadBytes("0", "801");
    EXPECT_EQ(prompter.Messages().back(), "Fail to read Generic data, at most 2048 bytes");
    EXPECT_EQ(calls.TakeCalls(), Lines{});

    // With the largest EEPROM fitted and selected, the whole buffer moves.
    ASSERT_TRUE(device.Chip().SetEepromSize(2048));
    page().GetDlgItem(IDC_EEPROM_SIZE)->SetCurSel(3);
    page().OnCommand(IDC_EEPROM_SIZE, Notify::SelChange);
    groups.resize(groups.size() - 3);
    WriteBytes("0", groups);
    EXPECT_EQ(Text(IDC_EEPROM_COUNT), "800");
    EXPECT_EQ(device.Chip().Eeprom(), Bytes(2048, 0x5A));
    ReadBytes("7FE", "2");
    EXPECT_EQ(Text(IDC_EEPROM_DATA), " 5a 5a");
}

TEST_F(EepromPageTest, AWriteKeepsABackupWithoutACallOfItsOwn)
{
    BackupKeeper keeper(Path("backups"));
    app.Context().SetBackups(&keeper, &device.Library());
    const Bytes before = device.Chip().Eeprom();
    WriteBytes("10", "12 34");
    // The backup is read below the call log: the user's calls are all there is.
    EXPECT_EQ(calls.TakeCalls().size(), 1u);
    ASSERT_EQ(keeper.List().size(), 1u);
    Bytes kept;
    std::string error;
    ASSERT_TRUE(ReadFileBounded(app.Context().LastBackupPath(), 2048, kept, error));
    EXPECT_EQ(kept, before);
}

TEST_F(EepromPageTest, AFailedEraseStillClearsTheTexts)
{
    WriteBytes("10", "12 34");
    ASSERT_EQ(Text(IDC_EEPROM_COUNT), "2");
    device.Chip().FailEepromTransfer(1);
    Click(page(), IDC_EEPROM_ERASE);
    EXPECT_EQ(prompter.Messages(), Lines{"Fail to erase EEPROM"});
    for (int id : {IDC_EEPROM_ADDRESS, IDC_EEPROM_COUNT, IDC_EEPROM_DATA}) {
        EXPECT_EQ(Text(id), "") << id;
    }
}

TEST_F(EepromPageTest, CancelledOrUnusableFilesTouchNothing)
{
    const Bytes before = device.Chip().Eeprom();
    prompter.QueueFile(std::nullopt);
    Click(page(), IDC_EEPROM_SAVE_FILE);
    prompter.QueueFile(std::nullopt);
    Click(page(), IDC_EEPROM_LOAD_FILE);
    EXPECT_EQ(calls.TakeCalls(), Lines{});
    EXPECT_EQ(prompter.Messages(), Lines{});

    const std::string missing = Path("missing.bin");
    prompter.QueueFile(missing);
    Click(page(), IDC_EEPROM_LOAD_FILE);
    EXPECT_EQ(prompter.Messages(), Lines{"Cannot read the file " + missing});
    EXPECT_EQ(calls.TakeCalls(), Lines{});
    EXPECT_EQ(device.Chip().Eeprom(), before);

    prompter.Clear();
    const std::string unwritable = Path("no/such/folder/out.bin");
    prompter.QueueFile(unwritable);
    Click(page(), IDC_EEPROM_SAVE_FILE);
    EXPECT_EQ(prompter.Messages(), Lines{"Cannot write the file " + unwritable});

    // A failed read writes no file.
    prompter.Clear();
    const std::string notMade = Path("not_made.bin");
    device.Chip().FailEepromTransfer(1);
    prompter.QueueFile(notMade);
    Click(page(), IDC_EEPROM_SAVE_FILE);
    EXPECT_EQ(prompter.Messages(), Lines{"Fail to read EEPROM"});
    EXPECT_FALSE(std::filesystem::exists(notMade));
}

}  // namespace
}  // namespace tovrik
