// SPDX-License-Identifier: MIT
// Prints what each EEPROM operation of the tool costs on the simulated chip in
// virtual time, next to its floor; --json prints the same as JSON.
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <string>
#include <vector>

#include "eeprom_benchmark.h"

namespace {

void PrintTable(const std::vector<tovrik::BenchmarkResult>& results)
{
    std::printf("| operation | out | in | control | I2C bytes | write cycles | ms | floor ms | "
                "ratio | backup ms |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const auto& r : results) {
        std::printf("| %s | %llu | %llu | %llu | %llu | %llu | %.2f | %.2f | %.2f | %.2f |\n",
                    r.name.c_str(), static_cast<unsigned long long>(r.traffic.reportsOut),
                    static_cast<unsigned long long>(r.traffic.reportsIn),
                    static_cast<unsigned long long>(r.traffic.controlTransfers),
                    static_cast<unsigned long long>(r.traffic.i2cBytes),
                    static_cast<unsigned long long>(r.traffic.writeCycles),
                    r.traffic.timeUs / 1000.0, r.floorUs / 1000.0, r.Ratio(), r.backupUs / 1000.0);
    }
}

void PrintJson(const std::vector<tovrik::BenchmarkResult>& results)
{
    std::printf("[\n");
    for (std::size_t i = 0; i < results.size(); ++i) {
        const auto& r = results[i];
        std::printf("  {\"operation\": \"%s\", \"reports_out\": %llu, \"reports_in\": %llu, "
                    "\"control\": %llu, \"i2c_bytes\": %llu, \"write_cycles\": %llu, "
                    "\"time_us\": %llu, \"floor_us\": %llu, \"ratio\": %.4f, \"backup_us\": %llu}%s\n",
                    r.name.c_str(), static_cast<unsigned long long>(r.traffic.reportsOut),
                    static_cast<unsigned long long>(r.traffic.reportsIn),
                    static_cast<unsigned long long>(r.traffic.controlTransfers),
                    static_cast<unsigned long long>(r.traffic.i2cBytes),
                    static_cast<unsigned long long>(r.traffic.writeCycles),
                    static_cast<unsigned long long>(r.traffic.timeUs),
                    static_cast<unsigned long long>(r.floorUs), r.Ratio(),
                    static_cast<unsigned long long>(r.backupUs), i + 1 < results.size() ? "," : "");
    }
    std::printf("]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else {
            std::fprintf(stderr, "usage: tovrik-bench [--json]\n");
            return 2;
        }
    }
    std::error_code ec;
    const auto folder = std::filesystem::temp_directory_path(ec) /
                        ("tovrik-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder, ec);
    std::vector<tovrik::BenchmarkResult> results;
    std::string error;
    const bool ok = tovrik::RunEepromBenchmark(folder.string(), results, error);
    std::filesystem::remove_all(folder, ec);
    if (!ok) {
        std::fprintf(stderr, "tovrik-bench: %s\n", error.c_str());
        return 1;
    }
    json ? PrintJson(results) : PrintTable(results);
    return 0;
}
