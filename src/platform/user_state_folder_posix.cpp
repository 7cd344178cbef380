// SPDX-License-Identifier: MIT
// Where a user's program state goes on Linux and other POSIX systems:
// $HOME/.local/state, as the base directory rules say; the local application
// data folder only when there is no HOME.
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
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.local/state";
    }
    const char* local = std::getenv("LOCALAPPDATA");
    if (local != nullptr && local[0] != '\0') {
        return local;
    }
    return {};
}

}  // namespace tovrik
