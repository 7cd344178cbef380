// SPDX-License-Identifier: MIT
// The HID control page over the real library and a simulated chip.
#include "demo_page_fixture.h"

namespace tovrik {
namespace {

class HidPageTest : public DemoPageTest {
protected:
    void SetUp() override
    {
        DemoPageTest::SetUp();
        Activate(HidPage());
        calls.TakeCalls();
    }

    CGenericData& page() { return HidPage(); }
    Lines InputLines() { return Items(page(), IDC_HID_INPUT_LIST); }

    void Registers(const std::string& address, const std::string& length, const std::string& data,
                   int button)
    {
        page().GetDlgItem(IDC_HID_REG_ADDRESS)->TypeText(address);
        page().GetDlgItem(IDC_HID_REG_LENGTH)->TypeText(length);
        page().GetDlgItem(IDC_HID_REG_DATA)->TypeText(data);
        Click(page(), button);
    }

    static std::string RegisterReport(int reg, int value)
    {
        char line[64];
        std::snprintf(line, sizeof line, "rmSetReport([01 00 00 00 00 %02x 01 %02x], 8)", reg,
                      value);
        return line;
    }
};

TEST_F(HidPageTest, RegisterWritesReachTheChipAndWrapAt256)
{
    Registers("FE", "4", "11 22 33 44", IDC_HID_REG_WRITE);
    EXPECT_EQ(calls.TakeCalls(), (Lines{RegisterReport(0xFE, 0x11), RegisterReport(0xFF, 0x22),
                                        RegisterReport(0x00, 0x33), RegisterReport(0x01, 0x44)}));
    EXPECT_EQ(device.Chip().Register(0xFE), 0x11);
    EXPECT_EQ(device.Chip().Register(0x01), 0x44);

    // A length that is not a number writes nothing.
    Registers("20", "zz", "11 22 33", IDC_HID_REG_WRITE);
    EXPECT_EQ(calls.TakeCalls(), Lines{});
    // An address that is not a number starts at register 0.
    Registers("xy", "1", "5", IDC_HID_REG_WRITE);
    EXPECT_EQ(calls.TakeCalls(), Lines{RegisterReport(0x00, 0x05)});
}

TEST_F(HidPageTest, TheHiddenReadAsksTheChipAndItsAnswerIsListed)
{
    Registers("10", "7", "a1 a2 a3 a4 a5 a6 a7", IDC_HID_REG_WRITE);
    calls.TakeCalls();
    Registers("10", "0", "", IDC_HID_REG_READ);
    EXPECT_EQ(calls.TakeCalls(), Lines{});
    Registers("10", "1", "", IDC_HID_REG_READ);
    EXPECT_EQ(calls.TakeCalls(), (Lines{RegisterReport(0xFF, 0x10), RegisterReport(0x96, 0x01)}));
    Settle();
    EXPECT_EQ(InputLines(), Lines{"GENERIC Event:  10 a1 a2 a3      a4 a5 a6 a7"});
}

TEST_F(HidPageTest, TheListKeepsTheNewestLinesUpToItsLimit)
{
    for (int i = 0; i <= CGenericData::kMaxInputLines; ++i) {
        page().OnMessage(GenericNotifyMessage, static_cast<WPARAM>(i & 0xFF),
                         static_cast<LPARAM>(i >> 8));
    }
    const Lines lines = InputLines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(CGenericData::kMaxInputLines));
    // The first notification (0, 0) was dropped; the newest, 1000 = 0x3e8, is last and selected.
    EXPECT_EQ(lines.front(), "GENERIC Event:  01 00 00 00      00 00 00 00");
    EXPECT_EQ(lines.back(), "GENERIC Event:  e8 00 00 00      03 00 00 00");
    EXPECT_EQ(page().GetDlgItem(IDC_HID_INPUT_LIST)->GetCurSel(), CGenericData::kMaxInputLines - 1);
}

TEST(ScanHexNumberTest, ReadsOneNumberTheWayPercentXDoes)
{
    EXPECT_EQ(ScanHexNumber("fe"), 0xFEu);
    EXPECT_EQ(ScanHexNumber("  1F"), 0x1Fu);
    EXPECT_EQ(ScanHexNumber("0x1f"), 0x1Fu);
    EXPECT_EQ(ScanHexNumber("1g"), 0x1u);
    EXPECT_EQ(ScanHexNumber("0x"), 0u);
    EXPECT_EQ(ScanHexNumber("zz"), 0u);
    EXPECT_EQ(ScanHexNumber(""), 0u);
    EXPECT_EQ(ScanHexNumber("123456789"), 0x23456789u);
}

}  // namespace
}  // namespace tovrik
