// SPDX-License-Identifier: MIT
#include "platform/user_state_folder.h"

#include <gtest/gtest.h>

#include "support/environment.h"

namespace tovrik {
namespace {

TEST(UserStateFolderTest, AnAbsoluteXdgStateHomeComesFirst)
{
    test::ScopedEnvironment environment;
    environment.Set("XDG_STATE_HOME", "/x/state");
    environment.Set("HOME", "/home/u");
    environment.Set("LOCALAPPDATA", "/l");
    EXPECT_EQ(UserStateFolder(), "/x/state");
}

TEST(UserStateFolderTest, HomeComesBeforeTheLocalApplicationDataFolder)
{
    test::ScopedEnvironment environment;
    // A relative one is invalid and ignored.
    environment.Set("XDG_STATE_HOME", "relative");
    environment.Set("HOME", "/home/u");
    environment.Set("LOCALAPPDATA", "/l");
    EXPECT_EQ(UserStateFolder(), "/home/u/.local/state");

    environment.Set("HOME", "");
    EXPECT_EQ(UserStateFolder(), "/l");
    environment.Set("LOCALAPPDATA", nullptr);
    EXPECT_EQ(UserStateFolder(), "");
}

}  // namespace
}  // namespace tovrik
