// SPDX-License-Identifier: MIT
// tovrik-umockdev-run COMMAND [ARGS...]: runs COMMAND with a simulated chip
// (the factory image, device code 23, as `tovrik-cli run` starts it) behind a
// umockdev hidraw node, so that `tovrik-cli run --device hidapi` reaches it
// through the real hidapi library. Exits with COMMAND's status, or 77 with the
// reason on standard output when umockdev cannot run here.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "app/factory_image.h"
#include "umockdev_chip.h"

namespace {

constexpr int kSkipped = 77;
constexpr const char* kPreload = "libumockdev-preload.so.0";

bool Preloaded()
{
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

// The test bed and the command both need umockdev's preload library; the
// sanitizer runtime must then accept not coming first.
void StartAgainPreloaded(char** argv)
{
    const char* old = std::getenv("LD_PRELOAD");
    const std::string preload =
        old != nullptr && *old != '\0' ? std::string(kPreload) + ":" + old : std::string(kPreload);
    setenv("LD_PRELOAD", preload.c_str(), 1);
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string options =
        std::string("verify_asan_link_order=0") +
        (asan != nullptr && *asan != '\0' ? ":" + std::string(asan) : std::string());
    setenv("ASAN_OPTIONS", options.c_str(), 1);
    setenv("TOVRIK_UMOCKDEV_REEXEC", "1", 1);
    execv("/proc/self/exe", argv);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: tovrik-umockdev-run COMMAND [ARGS...]\n";
        return 2;
    }
    if (!Preloaded() && std::getenv("TOVRIK_UMOCKDEV_REEXEC") == nullptr) {
        StartAgainPreloaded(argv);
    }
    if (const std::string reason = tovrik::UmockdevUnavailableReason(); !reason.empty()) {
        std::cout << "SKIPPED: umockdev cannot run here: " << reason << '\n';
        return kSkipped;
    }
    tovrik::UmockdevChip bed{tovrik::FactoryChipOptions()};
    if (!bed.Error().empty()) {
        std::cout << "SKIPPED: umockdev cannot run here: " << bed.Error() << '\n';
        return kSkipped;
    }
    std::cout.flush();
    const pid_t child = fork();
    if (child < 0) {
        std::cerr << "cannot start " << argv[1] << ": " << std::strerror(errno) << '\n';
        return 2;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::cerr << "cannot start " << argv[1] << ": " << std::strerror(errno) << '\n';
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return 2;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
