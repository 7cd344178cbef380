// SPDX-License-Identifier: MIT
// Texts the hidapi transport derives: UTF-8 of hidapi's wide strings, the
// sysfs file of a node's report descriptor, the permission message.
#include <gtest/gtest.h>

#include "device/hidapi/hidapi_transport.h"

namespace tovrik {
namespace {

TEST(HidapiTextTest, WideStringsBecomeUtf8)
{
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(WideToUtf8(L"Tovrik"), "Tovrik");
    EXPECT_EQ(WideToUtf8(L"\u00e9\u20ac"), "\xC3\xA9\xE2\x82\xAC");
    const wchar_t emoji[] = {static_cast<wchar_t>(0x1F50A), 0};
    EXPECT_EQ(WideToUtf8(emoji), "\xF0\x9F\x94\x8A");
    // A lone surrogate and a value past Unicode are replaced, not encoded.
    const wchar_t bad[] = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), 0};
    EXPECT_EQ(WideToUtf8(bad), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(HidapiTextTest, ReportDescriptorLivesBesideTheHidrawNode)
{
    EXPECT_EQ(ReportDescriptorFile("/dev/hidraw3"),
              "/sys/class/hidraw/hidraw3/device/report_descriptor");
    EXPECT_EQ(ReportDescriptorFile("hidraw12"),
              "/sys/class/hidraw/hidraw12/device/report_descriptor");
}

TEST(HidapiTextTest, PermissionMessageNamesTheNodeAndTheRule)
{
    const std::string text = AccessDeniedMessage("/dev/hidraw5");
    EXPECT_NE(text.find("/dev/hidraw5"), std::string::npos);
    EXPECT_NE(text.find(kUdevRuleFile), std::string::npos);
    EXPECT_NE(text.find("permission"), std::string::npos);
}

}  // namespace
}  // namespace tovrik
