// SPDX-License-Identifier: MIT
// The I2C page over the real library and a simulated chip with a memory at 0xA0.
#include <climits>

#include "demo_page_fixture.h"

namespace tovrik {
namespace {

using Bytes = std::vector<std::uint8_t>;

class I2cPageTest : public DemoPageTest {
protected:
    void SetUp() override
    {
        DemoPageTest::SetUp();
        Activate(I2cPage());
        calls.TakeCalls();
    }

    CI2CPage& page() { return I2cPage(); }

    void Fill(const std::string& size, const std::string& address, const std::string& data)
    {
        page().GetDlgItem(IDC_I2C_SIZE)->TypeText(size);
        page().GetDlgItem(IDC_I2C_DATA_ADDRESS)->TypeText(address);
        page().GetDlgItem(IDC_I2C_DATA)->TypeText(data);
    }

    void SelectSlave(const std::string& text)
    {
        page().GetDlgItem(IDC_I2C_SLAVE)->TypeText(text);
        Click(page(), IDC_I2C_SET);
    }

    std::string Data() { return page().GetDlgItemText(IDC_I2C_DATA); }
};

TEST_F(I2cPageTest, SizesAndByteListsBeyondTheBuffersAreRefused)
{
    Fill("513", "0", "01");
    Click(page(), IDC_I2C_WRITE);
    std::string groups;
    for (int i = 0; i < CI2CPage::kWriteBufferSize + 1; ++i) {
        groups += "7 ";
    }
    Fill("1", "0", groups);
    Click(page(), IDC_I2C_WRITE);
    Fill("342", "0", "keep");
    Click(page(), IDC_I2C_READ);
    EXPECT_EQ(calls.TakeCalls(), Lines{});
    EXPECT_EQ(prompter.Messages(), (Lines{"Fail to write I2C data, at most 512 bytes",
                                          "Fail to write I2C data, at most 512 bytes",
                                          "Fail to read I2C data, at most 341 bytes"}));
    EXPECT_EQ(Data(), "");

    // The limits themselves are allowed (the chip's memory ends at 256, so it refuses).
    Fill("512", "0", "");
    Click(page(), IDC_I2C_WRITE);
    Fill("341", "0", "");
    Click(page(), IDC_I2C_READ);
    const Lines made = calls.TakeCalls();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0].rfind("rmWriteDataIntoI2C(0, [00 00 ", 0), 0u) << made[0];
    EXPECT_TRUE(made[0].ends_with(" 00], 512)")) << made[0];
    EXPECT_EQ(made[0].size(), std::string("rmWriteDataIntoI2C(0, [], 512)").size() + 512 * 3 - 1);
    EXPECT_EQ(made[1], "rmReadDataFromI2C(0, buf, 341) -> 0");
}

}  // namespace
}  // namespace tovrik
