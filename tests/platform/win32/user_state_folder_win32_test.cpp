// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/user_state_folder.h"
#include "support/environment.h"

namespace tovrik {
namespace {

TEST(UserStateFolderWin32Test, TheLocalApplicationDataFolderComesBeforeHome)
{
    test::ScopedEnvironment environment;
    environment.Set("XDG_STATE_HOME", nullptr);
    environment.Set("HOME", "/home/u");
    environment.Set("LOCALAPPDATA", "C:\\Users\\u\\AppData\\Local");
    EXPECT_EQ(UserStateFolder(), "C:\\Users\\u\\AppData\\Local");

    environment.Set("LOCALAPPDATA", nullptr);
    EXPECT_EQ(UserStateFolder(), "/home/u/.local/state");
    environment.Set("HOME", nullptr);
    EXPECT_EQ(UserStateFolder(), "");
}

TEST(UserStateFolderWin32Test, AnAbsoluteXdgStateHomeComesFirstInEitherForm)
{
    test::ScopedEnvironment environment;
    environment.Set("LOCALAPPDATA", "C:\\Local");
    environment.Set("XDG_STATE_HOME", "D:\\state");
    EXPECT_EQ(UserStateFolder(), "D:\\state");
    environment.Set("XDG_STATE_HOME", "/x/state");
    EXPECT_EQ(UserStateFolder(), "/x/state");
    environment.Set("XDG_STATE_HOME", "state");
    EXPECT_EQ(UserStateFolder(), "C:\\Local");
}

}  // namespace
}  // namespace tovrik
