// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "device/win32/win32_hid_transport.h"

namespace tovrik {
namespace {

// A named pipe stands in for a HID interface: overlapped reads and writes on
// it behave as on a device handle, and closing its far end is an unplug.
class PipeDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring name =
            L"\\\\.\\pipe\\tovrik-hid-test-" + std::to_wstring(GetCurrentProcessId());
        HANDLE mine = CreateNamedPipeW(name.c_str(),
                                       PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 64, 64, 0,
                                       nullptr);
        ASSERT_NE(mine, INVALID_HANDLE_VALUE);
        far_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
        ASSERT_NE(far_, INVALID_HANDLE_VALUE);
        device_ = std::make_unique<Win32HidDevice>(mine, 0x1209, 0x0001, 17, 17);
    }
    void TearDown() override
    {
        device_.reset();
        if (far_ != INVALID_HANDLE_VALUE) {
            CloseHandle(far_);
        }
    }

    HANDLE far_ = INVALID_HANDLE_VALUE;
    std::unique_ptr<Win32HidDevice> device_;
};

TEST_F(PipeDevice, AReadTimesOutThenDeliversTheReportThatArrives)
{
    std::uint8_t buffer[17] = {};
    EXPECT_EQ(device_->Read(buffer, sizeof buffer, 20), 0);
    const std::uint8_t report[17] = {2, 0xAA, 0xBB};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(far_, report, sizeof report, &written, nullptr));
    // The read left pending by the time-out is the one that receives it.
    ASSERT_EQ(device_->Read(buffer, sizeof buffer, 1000), 17);
    EXPECT_EQ(buffer[0], 2);
    EXPECT_EQ(buffer[2], 0xBB);
    // A smaller buffer takes what fits.
    ASSERT_TRUE(WriteFile(far_, report, sizeof report, &written, nullptr));
    EXPECT_EQ(device_->Read(buffer, 2, 1000), 2);
}

TEST_F(PipeDevice, AWriteIsPaddedToTheDeclaredOutputLength)
{
    const std::uint8_t report[8] = {1, 0, 0, 0, 0, 0xFF, 1, 0x51};
    EXPECT_EQ(device_->Write(report, sizeof report), 8);
    std::uint8_t received[64] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(far_, received, sizeof received, &read, nullptr));
    EXPECT_EQ(read, 17u);
    EXPECT_EQ(received[7], 0x51);
    EXPECT_EQ(received[16], 0);
    EXPECT_EQ(device_->Write(nullptr, 8), -1);
}

TEST_F(PipeDevice, AGoneDeviceFailsTheReadEveryTime)
{
    std::uint8_t buffer[17] = {};
    EXPECT_EQ(device_->Read(buffer, sizeof buffer, 10), 0);
    CloseHandle(far_);
    far_ = INVALID_HANDLE_VALUE;
    EXPECT_EQ(device_->Read(buffer, sizeof buffer, 1000), -1);
    EXPECT_EQ(device_->Read(buffer, sizeof buffer, 1000), -1);
}

TEST(Win32HidTransportTest, FindsNoDeviceWhereThereIsNoneAndOpensNoBadPath)
{
    Win32HidTransport transport;
    // Under Wine (and on a machine without HID devices) the list is empty, never an error.
    for (const HidDeviceInfo& info : transport.Enumerate()) {
        EXPECT_FALSE(info.path.empty());
    }
    EXPECT_EQ(transport.Open("\\\\?\\hid#no-such-device"), nullptr);
    EXPECT_EQ(transport.OpenFailureMessage("\\\\?\\hid#no-such-device"), "");
}

}  // namespace
}  // namespace tovrik
