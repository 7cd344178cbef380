// SPDX-License-Identifier: MIT
#include "platform/instance_request.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include "support/posix_shim.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace tovrik {
namespace {

class InstanceRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tovrik-request-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::string folder_;
};

TEST_F(InstanceRequestTest, RequestsReachTheListenerInOrderAndOnce)
{
    std::string error;
    auto listener = InstanceRequestListener::Listen("tool", error, folder_);
    ASSERT_TRUE(listener) << error;
    EXPECT_TRUE(listener->Take().empty());
    EXPECT_TRUE(SendInstanceRequest("tool", "station", folder_));
    EXPECT_TRUE(SendInstanceRequest("tool", "raise", folder_));
    EXPECT_EQ(listener->Take(), (std::vector<std::string>{"station", "raise"}));
    EXPECT_TRUE(listener->Take().empty());
}

TEST_F(InstanceRequestTest, NoListenerNoOtherNameAndNoOddRequestIsTaken)
{
    EXPECT_FALSE(SendInstanceRequest("tool", "station", folder_));
    std::string error;
    auto listener = InstanceRequestListener::Listen("tool", error, folder_);
    ASSERT_TRUE(listener) << error;
    EXPECT_FALSE(SendInstanceRequest("other", "station", folder_));
    EXPECT_FALSE(SendInstanceRequest("tool", "", folder_));
    EXPECT_FALSE(SendInstanceRequest(
        "tool", std::string(InstanceRequestListener::kMaxRequest + 1, 'x'), folder_));
    EXPECT_TRUE(listener->Take().empty());
    listener.reset();
    // Gone with its listener: a later start is not told someone listens.
    EXPECT_FALSE(SendInstanceRequest("tool", "station", folder_));
}

TEST_F(InstanceRequestTest, ASocketLeftByACrashIsReplaced)
{
    // What a killed instance leaves on POSIX systems: the socket's file with nobody behind it.
    std::ofstream(folder_ + "/tool.socket") << "stale";
    std::string error;
    auto listener = InstanceRequestListener::Listen("tool", error, folder_);
    ASSERT_TRUE(listener) << error;
    EXPECT_TRUE(SendInstanceRequest("tool", "station", folder_));
    EXPECT_EQ(listener->Take(), std::vector<std::string>{"station"});
}

}  // namespace
}  // namespace tovrik
