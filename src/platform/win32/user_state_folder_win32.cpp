// SPDX-License-Identifier: MIT
// Where a user's program state goes on Windows: the local application data
// folder. A HOME there (set by a Unix-like shell) may not even be a Windows
// path, so it counts only when that folder is not named.
#include <cstdlib>
#include <filesystem>

#include "platform/user_state_folder.h"

namespace tovrik {

std::string UserStateFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && (state[0] == '/' || std::filesystem::path(state).is_absolute())) {
        return state;
    }
    const char* local = std::getenv("LOCALAPPDATA");
    if (local != nullptr && local[0] != '\0') {
        return local;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.local/state";
    }
    return {};
}

}  // namespace tovrik
