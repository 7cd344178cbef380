// SPDX-License-Identifier: MIT
#include "bench/eeprom_benchmark.h"

#include <gtest/gtest.h>
#include "support/posix_shim.h"

#include <filesystem>

namespace tovrik {
namespace {

// The timing model is virtual, so these figures are exact on every machine.
TEST(EepromBenchmark, EveryOperationStaysNearItsFloor)
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tovrik_bench_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::vector<BenchmarkResult> results;
    std::string error;
    ASSERT_TRUE(RunEepromBenchmark(folder.string(), results, error)) << error;
    std::filesystem::remove_all(folder);
    ASSERT_EQ(results.size(), 10u);
    for (const BenchmarkResult& r : results) {
        SCOPED_TRACE(r.name);
        EXPECT_GT(r.floorUs, 0u);
        EXPECT_LE(r.Ratio(), 1.25);
    }
    // A save that changes nothing writes only byte 0 (erased) and the header
    // (last); one serial character adds its one page; one after Erase rewrites
    // the image.
    EXPECT_EQ(results[1].traffic.writeCycles, 2u);
    EXPECT_EQ(results[2].traffic.writeCycles, 3u);
    EXPECT_GT(results[4].traffic.writeCycles, 0u);
    // A backup reads only what the connection has not seen: after the first, nothing.
    EXPECT_GT(results[1].backupUs, 0u);
    EXPECT_EQ(results[3].backupUs, 0u);
    EXPECT_EQ(results[0].backupUs, 0u);
}

}  // namespace
}  // namespace tovrik
