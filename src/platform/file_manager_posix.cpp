// SPDX-License-Identifier: MIT
// Folders are shown by xdg-open, started detached so that the tool neither
// waits for the file manager nor leaves a finished child behind.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/file_manager.h"

extern char** environ;

namespace tovrik {
namespace {

class XdgOpen : public FileManager {
public:
    bool ShowFolder(const std::string& folder, std::string& error) override
    {
        if (folder.empty()) {
            error = "there is no folder to show";
            return false;
        }
        // The first child starts xdg-open and ends at once; init adopts xdg-open.
        const pid_t child = fork();
        if (child < 0) {
            error = std::string("cannot start xdg-open: ") + std::strerror(errno);
            return false;
        }
        if (child == 0) {
            setsid();
            pid_t opener = 0;
            char program[] = "xdg-open";
            std::string copy = folder;
            char* argv[] = {program, copy.data(), nullptr};
            const int started = posix_spawnp(&opener, program, nullptr, nullptr, argv, environ);
            _exit(started == 0 ? 0 : 127);
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            error = "cannot start xdg-open to show " + folder;
            return false;
        }
        return true;
    }
};

}  // namespace

FileManager& SystemFileManager()
{
    static XdgOpen manager;
    return manager;
}

}  // namespace tovrik
