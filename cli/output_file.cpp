#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "device_access.h"

namespace tovrik::cli {

void WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
        throw UsageError{"cannot write " + path + ": not a regular file"};
    }
    const std::filesystem::path target(path);
    std::string temporary =
        (target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()) /
        ("." + target.filename().string() + ".XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        throw UsageError{"cannot write " + path + ": " + std::strerror(errno)};
    }
    const bool written =
        ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
        ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(temporary.c_str());
        throw UsageError{"cannot write " + path + ": " + why};
    }
}

std::vector<std::uint8_t> ReadInputFile(const std::string& path, std::size_t limit)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw UsageError{std::filesystem::exists(path, ec) ? path + ": not a regular file"
                                                           : "cannot open " + path};
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw UsageError{"cannot open " + path};
    }
    std::vector<std::uint8_t> bytes(limit + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) {
        throw UsageError{"cannot read " + path};
    }
    const auto got = static_cast<std::size_t>(file.gcount());
    if (got > limit) {
        throw UsageError{path + ": larger than " + std::to_string(limit) + " bytes"};
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace tovrik::cli
