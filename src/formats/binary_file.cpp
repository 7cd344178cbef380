#include "formats/binary_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tovrik {

bool WriteBinaryFile(const std::string& path, const std::uint8_t* bytes, std::size_t count)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            return false;
        }
        file.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
        file.close();
        if (!file) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    // std::filesystem::rename replaces an existing file on Windows too, where std::rename refuses.
    std::error_code renamed;
    std::filesystem::rename(temporary, path, renamed);
    if (renamed) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadBinaryFile(const std::string& path, std::uint8_t* bytes, std::size_t count)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    file.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(count));
    return !file.bad();
}

}  // namespace tovrik
