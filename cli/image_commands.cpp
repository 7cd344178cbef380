// SPDX-License-Identifier: MIT
#include "image_commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iostream>
#include <memory>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/eeprom_config.h"
#include "app/factory_image.h"
#include "session/tool_session.h"
#include "platform/latin1_text.h"
#include "json_text.h"
#include "platform/recording_prompter.h"
#include "platform/safe_file.h"
#include "command_list.h"
#include "device_commands.h"

namespace tovrik::cli {

namespace {

using nlohmann::json;

constexpr std::size_t kImageSize = EepromConfig::kImageSize;

std::vector<std::uint8_t> ReadImageFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBounded(path, kMaxImageFileBytes, bytes, error)) {
        throw UsageError{error};
    }
    // The image lies in the first 256 bytes; what a short file lacks reads as erased.
    std::vector<std::uint8_t> image(kImageSize, 0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), kImageSize), image.begin());
    return image;
}

void WriteImageFile(const std::string& path, const std::vector<std::uint8_t>& image)
{
    std::string error;
    if (!WriteFileSafely(path, image, error)) {
        throw UsageError{error};
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
// Every refusal names the bad member by its JSON pointer ("/registers/16").

int ByteValue(const json& value, const std::string& at, int max)
{
    if (!value.is_number_integer()) {
        throw UsageError{at + " must be an integer from 0 to " + std::to_string(max)};
    }
    // A number beyond 64 bits arrives as a float and was refused above.
    if (value.is_number_unsigned() ? value.get<std::uint64_t>() > static_cast<std::uint64_t>(max)
                                   : value.get<std::int64_t>() < 0 ||
                                         value.get<std::int64_t>() > max) {
        throw UsageError{at + " must be between 0 and " + std::to_string(max)};
    }
    return static_cast<int>(value.get<std::int64_t>());
}

// JSON texts are Unicode; a string of the image holds one Latin-1 byte per
// character (the chip presents each as one UTF-16 unit), so only U+0000 to
// U+00FF can be stored.
std::string ImageString(const json& value, const std::string& at)
{
    if (!value.is_string()) {
        throw UsageError{at + " must be a string"};
    }
    std::string bytes;
    std::string refused;
    if (!Utf8ToLatin1(value.get<std::string>(), bytes, refused)) {
        throw UsageError{at + " holds " + refused + ", which the chip cannot store (only U+0000 to U+00FF)"};
    }
    return bytes;
}

const json& ArrayOf(const json& value, std::size_t size, const std::string& at)
{
    if (!value.is_array() || value.size() != size) {
        throw UsageError{at + " must be an array of " + std::to_string(size)};
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
        throw UsageError{"/registers must be an object"};
    }
    std::vector<int> values(EepromConfig::kRegisterCount, -1);
    for (const auto& [key, value] : doc["registers"].items()) {
        const bool digits = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        });
        // Leading zeros aside, a register number has at most three digits.
        const std::size_t first = std::min(key.find_first_not_of('0'), key.size() - 1);
        const int reg = digits && key.size() - first <= 3 ? std::stoi(key.substr(first)) : -1;
        if (reg < 0 || reg > 255) {
            throw UsageError{"/registers: register \"" + key + "\" is not a number from 0 to 255"};
        }
        if (values[reg] >= 0) {
            throw UsageError{"/registers: register " + std::to_string(reg) + " is given twice"};
        }
        values[reg] = ByteValue(value, "/registers/" + key, 255);
    }
    for (int r = 0; r < EepromConfig::kRegisterCount; ++r) {
        if (values[r] >= 0) {
            config.SetRegisterValue(static_cast<std::uint8_t>(r),
                                    static_cast<std::uint8_t>(values[r]));
        }
    }
    if (doc.contains("strings")) {
        const json& strings = ArrayOf(doc["strings"], 4, "/strings");
        for (std::size_t i = 0; i < 4; ++i) {
            config.SetString(static_cast<int>(i),
                             ImageString(strings[i], "/strings/" + std::to_string(i)));
        }
    }
    if (doc.contains("eqPresetGains")) {
        const json& presets = ArrayOf(doc["eqPresetGains"], 4, "/eqPresetGains");
        EqPresetGains gains{};
        for (std::size_t p = 0; p < 4; ++p) {
            const std::string row = "/eqPresetGains/" + std::to_string(p);
            ArrayOf(presets[p], 6, row);
            for (std::size_t k = 0; k < 6; ++k) {
                gains[p][k] = static_cast<std::uint8_t>(
                    ByteValue(presets[p][k], row + "/" + std::to_string(k), 255));
            }
        }
        config.SetEqPresetGains(gains);
    }
    if (doc.contains("eqBandSettings")) {
        const json& bands = ArrayOf(doc["eqBandSettings"], 5, "/eqBandSettings");
        EqBandSettings settings{};
        for (std::size_t b = 0; b < 5; ++b) {
            const std::string row = "/eqBandSettings/" + std::to_string(b);
            ArrayOf(bands[b], 2, row);
            for (std::size_t k = 0; k < 2; ++k) {
                settings[b][k] = static_cast<std::uint16_t>(
                    ByteValue(bands[b][k], row + "/" + std::to_string(k), 65535));
            }
        }
        config.SetEqBandSettings(settings);
    }
}

std::string ReadDescriptionText(const std::string& input, std::istream& in)
{
    if (input != "-") {
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!ReadFileBounded(input, kMaxTextFileBytes, bytes, error)) {
            throw UsageError{error};
        }
        return std::string(bytes.begin(), bytes.end());
    }
    // Standard input is bounded like a file: one byte more than allowed tells it was too long.
    std::string text(kMaxTextFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (text.size() > kMaxTextFileBytes) {
        throw UsageError{"standard input holds more than the " +
                         std::to_string(kMaxTextFileBytes) + " bytes a description may have"};
    }
    return text;
}

// Follows a parse through the document so a parse error can name the member
// it happened in; it builds nothing.
class PathTracker : public nlohmann::json_sax<json> {
public:
    std::string failedAt;
    std::string reason;

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override { return Open(false); }
    bool key(string_t& name) override
    {
        frames_.back().key = name;
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(true); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override
    {
        reason = e.what();
        for (std::size_t i = 0; i < frames_.size(); ++i) {
            const Frame& f = frames_[i];
            // An array's element in progress; the innermost one is the element that failed.
            const bool innermost = i + 1 == frames_.size();
            if (f.array && (innermost || f.count > 0)) {
                failedAt += "/" + std::to_string(innermost ? f.count : f.count - 1);
            } else if (!f.array && !f.key.empty()) {
                failedAt += "/" + f.key;
            }
        }
        return false;
    }

private:
    struct Frame {
        bool array = false;
        std::string key;
        std::size_t count = 0;  // elements started, for an array
    };
    bool Value()
    {
        if (!frames_.empty() && frames_.back().array) {
            ++frames_.back().count;
        }
        return true;
    }
    bool Open(bool array)
    {
        Value();
        frames_.push_back(Frame{array, {}, 0});
        return true;
    }
    bool Close()
    {
        frames_.pop_back();
        return true;
    }
    std::vector<Frame> frames_;
};

json ParseDescription(const std::string& text, const std::string& source)
{
    try {
        return json::parse(text);
    } catch (const json::exception&) {
        // Syntax errors and numbers out of every range (1e400) alike name where they are.
        PathTracker tracker;
        json::sax_parse(text, &tracker);
        throw UsageError{"malformed JSON in " + source +
                         (tracker.failedAt.empty() ? std::string() : " at " + tracker.failedAt) +
                         ": " + tracker.reason};
    }
}

// An in-memory chip of 256 bytes holding `image`: nothing of it outlives the
// command, so nothing is backed up.
std::unique_ptr<ToolSession> SessionWithImage(std::vector<std::uint8_t> image, Prompter& prompter)
{
    SessionDescription description;
    description.chip.simulate = true;
    description.chip.eepromSize = static_cast<int>(kImageSize);
    description.chip.image = std::move(image);
    description.backupsBeforeWrites = false;
    std::string error;
    std::unique_ptr<ToolSession> session = ToolSession::Build(description, prompter, error);
    if (!session) {
        throw UsageError{error};
    }
    return session;
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
        RecordingPrompter prompter;
        const std::unique_ptr<ToolSession> device = SessionWithImage(ReadImageFile(path), prompter);
        if (device->StartDevice() == 0) {
            return Fail(err, "the simulated chip did not start");
        }
        EepromConfig& config = device->Config();
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

int BuildImage(const std::string& jsonText, const std::string& source,
               std::vector<std::uint8_t>& image, std::string& report, std::string& error)
{
    try {
        const json doc = ParseDescription(jsonText, source);
        RecordingPrompter prompter;
        const std::unique_ptr<ToolSession> device =
            SessionWithImage(std::vector<std::uint8_t>(kImageSize, 0xFF), prompter);
        if (device->StartDevice() == 0) {
            error = "the simulated chip did not start";
            return kExitUsage;
        }
        EepromConfig& config = device->Config();
        ApplyDescription(doc, config);
        const int result = config.SaveToEeprom();
        device->Library().rmDeviceClose();

        image = device->Chip()->Eeprom();
        image.resize(kImageSize);
        report = "{\n  \"result\": " + std::to_string(result) + ",\n  \"messages\": " +
                 MessagesJson(prompter) + ",\n  \"registers\": " + RegistersJson(config) +
                 "\n}\n";
        return result != 0 ? kExitOk : kExitNotSaved;
    } catch (const UsageError& e) {
        error = e.reason;
        return kExitUsage;
    } catch (const json::exception& e) {
        // Whatever the checks above missed is still bad input, never a crash.
        error = std::string("bad description in ") + source + ": " + e.what();
        return kExitUsage;
    }
}

int EncodeImage(const std::string& input, const std::string& outputPath, std::istream& in,
                std::ostream& out, std::ostream& err)
{
    std::string text;
    try {
        text = ReadDescriptionText(input, in);
    } catch (const UsageError& e) {
        return Fail(err, e.reason);
    }
    std::vector<std::uint8_t> image;
    std::string report;
    std::string error;
    const int status =
        BuildImage(text, input == "-" ? std::string("standard input") : input, image, report, error);
    if (status == kExitUsage) {
        return Fail(err, error);
    }
    out << report;
    if (status == kExitNotSaved) {
        // The output keeps what it held: an image that failed to save is no image.
        err << "tovrik-cli: the description could not be saved into an image; " << outputPath
            << " was not written\n";
        return status;
    }
    try {
        WriteImageFile(outputPath, image);
    } catch (const UsageError& e) {
        // An output path that cannot be written is a bad argument, like an input that cannot be read.
        return Fail(err, e.reason);
    }
    return kExitOk;
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

void RegisterImageCommands(CLI::App& app, CommandList& commands)
{
    auto* image =
        app.add_subcommand("image", "Decode, encode, show, compare and edit EEPROM images");
    image->require_subcommand(1);
    // What the options fill in, kept as long as the commands that read it.
    struct Arguments {
        std::string input;
        std::string other;
        std::string output;
        bool json = false;
        std::vector<std::string> assignments;
    };
    const auto a = std::make_shared<Arguments>();

    auto* decode = image->add_subcommand(
        "decode", "Load an EEPROM image file through a simulated chip and print it as JSON");
    decode->add_option("FILE", a->input, "EEPROM image (.bin)")->required();
    commands.Add(decode, [a](const CommandStreams& s) { return DecodeImage(a->input, s.out, s.err); });

    auto* encode = image->add_subcommand(
        "encode",
        "Save a JSON description (as image decode prints it) onto a blank 256-byte "
        "EEPROM and write its bytes");
    encode->add_option("JSON", a->input, "JSON description, - for standard input")->required();
    encode->add_option("-o,--output", a->output, "EEPROM image file to write")->required();
    commands.Add(encode, [a](const CommandStreams& s) {
        return EncodeImage(a->input, a->output, s.in, s.out, s.err);
    });

    auto* factory = image->add_subcommand(
        "factory", "Write the simulated chip's factory EEPROM image (256 bytes)");
    factory->add_option("-o,--output", a->output, "EEPROM image file to write")->required();
    commands.Add(factory, [a](const CommandStreams& s) { return WriteFactoryImage(a->output, s.err); });

    auto* show = image->add_subcommand(
        "show", "Every setting of the four configuration pages after loading FILE");
    show->add_option("FILE", a->input, "EEPROM image (.bin)")->required();
    show->add_flag("--json", a->json, "print JSON");
    commands.Add(show, [a](const CommandStreams& s) { return ShowImage(a->input, a->json, s.out, s.err); });

    auto* diff = image->add_subcommand(
        "diff", "The settings that differ between two images; exit 1 when some do");
    diff->add_option("A", a->input, "EEPROM image (.bin)")->required();
    diff->add_option("B", a->other, "EEPROM image (.bin)")->required();
    diff->add_flag("--json", a->json, "print JSON");
    commands.Add(diff, [a](const CommandStreams& s) {
        return DiffImages(a->input, a->other, a->json, s.out, s.err);
    });

    auto* set = image->add_subcommand(
        "set", "Set values of the configuration pages (tovrik-cli help settings lists the keys)");
    set->add_option("IN", a->input, "EEPROM image (.bin)")->required();
    set->add_option("-o,--output", a->output, "EEPROM image file to write")->required();
    set->add_option("KEY=VALUE", a->assignments, "values to set")->required();
    commands.Add(set, [a](const CommandStreams& s) {
        return SetImage(a->input, a->output, a->assignments, s.out, s.err);
    });
}

}  // namespace tovrik::cli
