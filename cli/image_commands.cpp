#include "image_commands.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/eeprom_config.h"
#include "config/factory_image.h"
#include "device/sim/simulated_device.h"
#include "json_text.h"
#include "platform/recording_prompter.h"

namespace tovrik::cli {

namespace {

using nlohmann::json;

constexpr std::size_t kImageSize = EepromConfig::kImageSize;

// A one-line reason for a refused input; ends the command with exit status 2.
struct UsageError {
    std::string reason;
};

std::vector<std::uint8_t> ReadImageFile(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw UsageError{path + " is a directory"};
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw UsageError{"cannot open " + path};
    }
    std::vector<std::uint8_t> image(kImageSize, 0xFF);
    file.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(kImageSize));
    if (file.bad()) {
        throw UsageError{"cannot read " + path};
    }
    return image;
}

void WriteImageFile(const std::string& path, const std::vector<std::uint8_t>& image)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    file.close();
    if (!file) {
        throw UsageError{"cannot write " + path};
    }
}

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i == 0 ? "" : ", ") + items[i];
    }
    return out;
}

std::string MessagesJson(const RecordingPrompter& prompter)
{
    std::vector<std::string> texts;
    for (const std::string& m : prompter.Messages()) {
        texts.push_back(JsonByteString(m));
    }
    return "[" + Join(texts) + "]";
}

std::string RegistersJson(const EepromConfig& config)
{
    std::vector<std::string> items;
    for (int r = 0; r < EepromConfig::kRegisterCount; ++r) {
        const auto reg = static_cast<std::uint8_t>(r);
        if (config.IsRegisterPresent(reg) != 0) {
            items.push_back("\"" + std::to_string(r) +
                            "\": " + std::to_string(config.GetRegisterValue(reg)));
        }
    }
    return "{" + Join(items) + "}";
}

template <typename Row>
std::string NumberRow(const Row& row)
{
    std::vector<std::string> items;
    for (auto v : row) {
        items.push_back(std::to_string(v));
    }
    return "[" + Join(items) + "]";
}

template <typename Table>
std::string NumberTable(const Table& table)
{
    std::vector<std::string> rows;
    for (const auto& row : table) {
        rows.push_back(NumberRow(row));
    }
    return "[" + Join(rows) + "]";
}

// --- Reading the JSON description ---

int ByteValue(const json& value, const std::string& what, int max)
{
    if (!value.is_number_integer()) {
        throw UsageError{what + " must be an integer"};
    }
    const auto v = value.get<long long>();
    if (v < 0 || v > max) {
        throw UsageError{what + " must be between 0 and " + std::to_string(max)};
    }
    return static_cast<int>(v);
}

// JSON texts are Unicode; a string of the image holds one byte per character,
// so only U+0000 to U+00FF can be stored.
std::string ImageString(const json& value, const std::string& what)
{
    if (!value.is_string()) {
        throw UsageError{what + " must be a string"};
    }
    const std::string utf8 = value.get<std::string>();
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            bytes += static_cast<char>(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < utf8.size() && b <= 0xC3) {
            const auto b2 = static_cast<unsigned char>(utf8[i + 1]);
            bytes += static_cast<char>(((b & 0x03) << 6) | (b2 & 0x3F));
            i += 2;
        } else {
            throw UsageError{what + " holds a character above U+00FF"};
        }
    }
    return bytes;
}

const json& ArrayOf(const json& value, std::size_t size, const std::string& what)
{
    if (!value.is_array() || value.size() != size) {
        throw UsageError{what + " must be an array of " + std::to_string(size)};
    }
    return value;
}

void ApplyDescription(const json& doc, EepromConfig& config)
{
    if (!doc.is_object()) {
        throw UsageError{"the description must be a JSON object"};
    }
    for (const auto& [key, value] : doc.items()) {
        // What `image decode` prints besides the image itself is passed over.
        const bool decodeOnly = key == "result" || key == "messages" || key == "header";
        if (!decodeOnly && key != "registers" && key != "strings" && key != "eqPresetGains" &&
            key != "eqBandSettings") {
            throw UsageError{"unknown member \"" + key + "\""};
        }
    }
    if (!doc.contains("registers") || !doc["registers"].is_object()) {
        throw UsageError{"\"registers\" must be an object"};
    }
    std::vector<int> values(EepromConfig::kRegisterCount, -1);
    for (const auto& [key, value] : doc["registers"].items()) {
        std::size_t used = 0;
        int reg = -1;
        try {
            reg = std::stoi(key, &used, 10);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != key.size() || key.empty() || !std::isdigit(static_cast<unsigned char>(key[0])) ||
            reg < 0 || reg > 255) {
            throw UsageError{"register \"" + key + "\" is not a number from 0 to 255"};
        }
        if (values[reg] >= 0) {
            throw UsageError{"register " + std::to_string(reg) + " is given twice"};
        }
        values[reg] = ByteValue(value, "register " + key, 255);
    }
    for (int r = 0; r < EepromConfig::kRegisterCount; ++r) {
        if (values[r] >= 0) {
            config.SetRegisterValue(static_cast<std::uint8_t>(r),
                                    static_cast<std::uint8_t>(values[r]));
        }
    }
    if (doc.contains("strings")) {
        const json& strings = ArrayOf(doc["strings"], 4, "\"strings\"");
        for (int i = 0; i < 4; ++i) {
            config.SetString(i, ImageString(strings[i], "string " + std::to_string(i)));
        }
    }
    if (doc.contains("eqPresetGains")) {
        const json& presets = ArrayOf(doc["eqPresetGains"], 4, "\"eqPresetGains\"");
        EqPresetGains gains{};
        for (std::size_t p = 0; p < 4; ++p) {
            const json& row = ArrayOf(presets[p], 6, "each preset of \"eqPresetGains\"");
            for (std::size_t k = 0; k < 6; ++k) {
                gains[p][k] = static_cast<std::uint8_t>(ByteValue(row[k], "a preset gain", 255));
            }
        }
        config.SetEqPresetGains(gains);
    }
    if (doc.contains("eqBandSettings")) {
        const json& bands = ArrayOf(doc["eqBandSettings"], 5, "\"eqBandSettings\"");
        EqBandSettings settings{};
        for (std::size_t b = 0; b < 5; ++b) {
            const json& row = ArrayOf(bands[b], 2, "each band of \"eqBandSettings\"");
            for (std::size_t k = 0; k < 2; ++k) {
                settings[b][k] =
                    static_cast<std::uint16_t>(ByteValue(row[k], "a band setting", 65535));
            }
        }
        config.SetEqBandSettings(settings);
    }
}

json ReadDescription(const std::string& input, std::istream& in)
{
    std::string text;
    if (input == "-") {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        std::ifstream file(input, std::ios::binary);
        if (!file) {
            throw UsageError{"cannot open " + input};
        }
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    try {
        return json::parse(text);
    } catch (const json::parse_error& e) {
        throw UsageError{"malformed JSON in " + (input == "-" ? std::string("standard input")
                                                               : input) + ": " + e.what()};
    }
}

SimulatedChipOptions ChipWithImage(std::vector<std::uint8_t> image)
{
    SimulatedChipOptions options;
    options.eepromSize = static_cast<int>(kImageSize);
    options.initialEeprom = std::move(image);
    return options;
}

int Fail(std::ostream& err, const std::string& reason)
{
    err << "tovrik-cli: " << reason << '\n';
    return kExitUsage;
}

}  // namespace

int DecodeImage(const std::string& path, std::ostream& out, std::ostream& err)
{
    try {
        SimulatedDevice device(ChipWithImage(ReadImageFile(path)));
        if (device.Start() == 0) {
            return Fail(err, "the simulated chip did not start");
        }
        RecordingPrompter prompter;
        EepromConfig config(device.Library(), prompter);
        const int result = config.LoadFromEeprom();

        std::vector<std::string> strings;
        for (int i = 0; i < 4; ++i) {
            std::string text;
            config.GetString(i, text);
            strings.push_back(JsonByteString(text));
        }
        EqPresetGains gains{};
        config.GetEqPresetGains(gains);
        EqBandSettings bands{};
        config.GetEqBandSettings(bands);

        out << "{\n"
            << "  \"result\": " << result << ",\n"
            << "  \"messages\": " << MessagesJson(prompter) << ",\n"
            << "  \"header\": " << NumberRow(config.Header()) << ",\n"
            << "  \"registers\": " << RegistersJson(config) << ",\n"
            << "  \"strings\": [" << Join(strings) << "],\n"
            << "  \"eqPresetGains\": " << NumberTable(gains) << ",\n"
            << "  \"eqBandSettings\": " << NumberTable(bands) << "\n"
            << "}\n";
        return kExitOk;
    } catch (const UsageError& e) {
        return Fail(err, e.reason);
    }
}

int EncodeImage(const std::string& input, const std::string& outputPath, std::istream& in,
                std::ostream& out, std::ostream& err)
{
    try {
        const json doc = ReadDescription(input, in);
        SimulatedDevice device(ChipWithImage(std::vector<std::uint8_t>(kImageSize, 0xFF)));
        if (device.Start() == 0) {
            return Fail(err, "the simulated chip did not start");
        }
        RecordingPrompter prompter;
        EepromConfig config(device.Library(), prompter);
        ApplyDescription(doc, config);
        const int result = config.SaveToEeprom();
        device.Library().rmDeviceClose();

        std::vector<std::uint8_t> image = device.Chip().Eeprom();
        image.resize(kImageSize);
        WriteImageFile(outputPath, image);

        out << "{\n"
            << "  \"result\": " << result << ",\n"
            << "  \"messages\": " << MessagesJson(prompter) << ",\n"
            << "  \"registers\": " << RegistersJson(config) << "\n"
            << "}\n";
        return kExitOk;
    } catch (const UsageError& e) {
        return Fail(err, e.reason);
    }
}

int WriteFactoryImage(const std::string& outputPath, std::ostream& err)
{
    const std::vector<std::uint8_t> image = FactoryEepromImage();
    if (image.size() != kImageSize) {
        return Fail(err, "the factory image could not be built");
    }
    try {
        WriteImageFile(outputPath, image);
    } catch (const UsageError& e) {
        return Fail(err, e.reason);
    }
    return kExitOk;
}

}  // namespace tovrik::cli
