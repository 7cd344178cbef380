// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace tovrik {

// The folder under which this user's programs keep what they keep between
// runs, as the environment names it: $XDG_STATE_HOME when it is absolute (a
// relative one is invalid and ignored), else the system's own place. Empty
// when the environment names none. Each system has its own part:
// user_state_folder_posix.cpp and win32/user_state_folder_win32.cpp.
std::string UserStateFolder();

}  // namespace tovrik
