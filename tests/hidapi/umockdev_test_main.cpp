// SPDX-License-Identifier: MIT
// Runs the tests through a umockdev hidraw node. They need umockdev's preload
// library in the process; started without it, the binary starts itself again
// with it, as umockdev-wrapper would. Exit status 77 means "skipped": umockdev
// cannot run here, and the reason is printed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "umockdev_chip.h"

namespace {

constexpr int kSkipped = 77;
constexpr const char* kPreload = "libumockdev-preload.so.0";

bool Preloaded()
{
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

bool Listing(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!Preloaded() && std::getenv("TOVRIK_UMOCKDEV_REEXEC") == nullptr) {
        const char* old = std::getenv("LD_PRELOAD");
        const std::string preload = old != nullptr && *old != '\0'
                                        ? std::string(kPreload) + ":" + old
                                        : std::string(kPreload);
        setenv("LD_PRELOAD", preload.c_str(), 1);
        // The preload library comes before the sanitizer runtime, which the
        // sanitizer would otherwise refuse.
        const char* asan = std::getenv("ASAN_OPTIONS");
        const std::string options =
            std::string("verify_asan_link_order=0") +
            (asan != nullptr && *asan != '\0' ? ":" + std::string(asan) : std::string());
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        setenv("TOVRIK_UMOCKDEV_REEXEC", "1", 1);
        execv("/proc/self/exe", argv);
        std::cerr << "cannot start again with umockdev: " << std::strerror(errno) << '\n';
    }
    ::testing::InitGoogleTest(&argc, argv);
    if (!Listing(argc, argv)) {
        const std::string reason = tovrik::UmockdevUnavailableReason();
        if (!reason.empty()) {
            std::cout << "SKIPPED: umockdev cannot run here: " << reason << '\n';
            return kSkipped;
        }
    }
    return RUN_ALL_TESTS();
}
