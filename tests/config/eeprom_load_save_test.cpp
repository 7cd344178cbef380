// SPDX-License-Identifier: MIT
// Load and save of the configuration image over the real library and
// protocol, with failures injected by the simulated chip.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "config/eeprom_config.h"
#include "app/factory_image.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"

namespace tovrik {
namespace {

using Messages = std::vector<std::string>;

class LoadSaveTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(device.Start(), 1); }

    // Writes raw bytes over the chip's EEPROM (the rest 0xFF).
    void SetEeprom(std::vector<std::uint8_t> bytes)
    {
        bytes.resize(256, 0xFF);
        ASSERT_TRUE(device.Chip().SetEeprom(bytes));
        // Changed behind the library's back, as a programmer on the bench would.
        device.Library().ForgetEepromContent();
    }

    Messages Load()
    {
        prompter.Clear();
        result = config.LoadFromEeprom();
        return prompter.Messages();
    }

    Messages Save()
    {
        prompter.Clear();
        result = config.SaveToEeprom();
        return prompter.Messages();
    }

    std::vector<std::uint8_t> Eeprom() { return device.Chip().Eeprom(); }

    // An image with the given stream at offset 4 and strings at the given blocks.
    static std::vector<std::uint8_t> Image(const std::vector<std::uint8_t>& stream)
    {
        std::vector<std::uint8_t> image(256, 0xFF);
        image[0] = 'T';
        image[1] = 'K';
        image[2] = 4;
        image[3] = static_cast<std::uint8_t>(stream.size());
        std::copy(stream.begin(), stream.end(), image.begin() + 4);
        return image;
    }

    static void PutString(std::vector<std::uint8_t>& image, int address, const std::string& text)
    {
        image[address] = static_cast<std::uint8_t>(2 * text.size() + 2);
        std::copy(text.begin(), text.end(), image.begin() + address + 1);
    }

    SimulatedDevice device;
    RecordingPrompter prompter;
    EepromConfig config{device.Library(), prompter};
    int result = -1;
};

TEST_F(LoadSaveTest, FactoryConfigurationSurvivesSaveAndLoad)
{
    ApplyFactoryConfiguration(config);
    ASSERT_EQ(Save(), Messages{});
    ASSERT_EQ(result, 1);

    EepromConfig loaded(device.Library(), prompter);
    prompter.Clear();
    ASSERT_EQ(loaded.LoadFromEeprom(), 1);
    EXPECT_EQ(prompter.Messages(), Messages{});
    // Register 255 reads back from the filler pairs; the builder never writes it.
    EXPECT_EQ(loaded.GetRegisterValue(255), 0xFF);
    for (int r = 0; r < 255; ++r) {
        const auto reg = static_cast<std::uint8_t>(r);
        ASSERT_EQ(loaded.IsRegisterPresent(reg), config.IsRegisterPresent(reg)) << r;
        ASSERT_EQ(loaded.GetRegisterValue(reg), config.GetRegisterValue(reg)) << r;
    }
    for (int i = 0; i < 4; ++i) {
        std::string saved, read;
        config.GetString(i, saved);
        loaded.GetString(i, read);
        EXPECT_EQ(read, saved);
    }
    EqPresetGains savedGains{}, readGains{};
    config.GetEqPresetGains(savedGains);
    loaded.GetEqPresetGains(readGains);
    EXPECT_EQ(readGains, savedGains);
    EXPECT_EQ(loaded.LoadCursor(), config.SaveCursor());
}

TEST_F(LoadSaveTest, BandSettingsFollowTheLastStringBothWays)
{
    config.SetRegisterValue(166, 0x12);
    config.SetString(1, "Prod");
    EqBandSettings bands = {{{100, 70}, {350, 210}, {1000, 620}, {3500, 2310}, {13000, 5200}}};
    config.SetEqBandSettings(bands);
    ASSERT_EQ(Save(), Messages{});
    // The stream "08 10 5C 4E A6 12" ends at address 9, the string block sits at 78..82,
    // the band block right after it.
    EXPECT_EQ(config.SaveCursor(), 83);
    auto eeprom = Eeprom();
    EXPECT_EQ(eeprom[83], 100);
    EXPECT_EQ(eeprom[85], 70);
    EXPECT_EQ(eeprom[99], 13000 & 0xFF);
    EXPECT_EQ(eeprom[100], 13000 >> 8);

    EepromConfig loaded(device.Library(), prompter);
    ASSERT_EQ(loaded.LoadFromEeprom(), 1);
    EqBandSettings read{};
    loaded.GetEqBandSettings(read);
    EXPECT_EQ(read, bands);
}

TEST_F(LoadSaveTest, HeaderChecks)
{
    SetEeprom({});
    config.SetRegisterValue(5, 5);
    config.SetString(0, "old");
    EXPECT_EQ(Load(), Messages{"EEPROM Empty"});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(config.IsRegisterPresent(5), 0);
    std::string text = "x";
    config.GetString(0, text);
    EXPECT_EQ(text, "");

    SetEeprom({'T', 'K', 4, 0});
    EXPECT_EQ(Load(), Messages{});
    EXPECT_EQ(result, 1);

    SetEeprom({'T', 'K', 200, 57});
    EXPECT_EQ(Load(), Messages{"Invalid length field in EEPROM header"});
    EXPECT_EQ(result, 0);

    // An offset other than 4 is read from where the header says.
    std::vector<std::uint8_t> image(256, 0xFF);
    image[0] = 'T';
    image[1] = 'K';
    image[2] = 200;
    image[3] = 56;
    for (int i = 0; i < 28; ++i) {
        image[200 + 2 * i] = static_cast<std::uint8_t>(30 + i);
        image[201 + 2 * i] = static_cast<std::uint8_t>(i);
    }
    SetEeprom(image);
    EXPECT_EQ(Load(), Messages{});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(config.GetRegisterValue(57), 27);
    EXPECT_EQ(config.LoadCursor(), 256);
}

TEST_F(LoadSaveTest, TransferFailuresOnLoadStopWithTheirMessage)
{
    auto image = Image({0x08, 0x78, 91, 100, 92, 110, 93, 120, 94, 130, 227, 140});
    PutString(image, 100, "Maker");
    PutString(image, 110, "Prod");
    PutString(image, 120, "SN");
    PutString(image, 130, "Q");
    SetEeprom(image);

    EXPECT_EQ(Load(), Messages{});
    ASSERT_EQ(result, 1);

    // Transfers: header, stream, then a length byte and the characters per
    // string, then the run header and gains per preset.
    struct Case {
        int transfer;
        const char* message;
    };
    const Case cases[] = {
        {1, "Fail to read EEPROM header"},
        {2, "Fail to read EEPROM content"},
        {3, "Fail to load manufacturer string"},
        {4, "Fail to load manufacturer string"},
        {6, "Fail to load product string"},
        {7, "Fail to load serial string"},
        {10, "Fail to load UCQ string"},
        {11, "Fail to load EQ gains header"},
        {12, "Fail to load EQ gains"},
        {18, "Fail to load EQ gains"},
    };
    for (const Case& c : cases) {
        device.Chip().FailEepromTransfer(c.transfer);
        EXPECT_EQ(Load(), Messages{c.message}) << c.transfer;
        EXPECT_EQ(result, 0);
    }

    // What was read before the failure stays.
    device.Chip().FailEepromTransfer(7);
    Load();
    std::string text;
    config.GetString(1, text);
    EXPECT_EQ(text, "Prod");
    config.GetString(2, text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(config.GetRegisterValue(94), 130);
}

TEST_F(LoadSaveTest, StringBlockBounds)
{
    auto image = Image({0x08, 0x10, 92, 100});
    image[100] = 0x42;  // n = 32
    for (int i = 0; i < 32; ++i) {
        image[101 + i] = static_cast<std::uint8_t>('a' + i % 26);
    }
    SetEeprom(image);
    EXPECT_EQ(Load(), Messages{});
    std::string text;
    config.GetString(1, text);
    EXPECT_EQ(text.size(), 32u);
    EXPECT_EQ(config.LoadCursor(), 133);

    image[100] = 0x44;  // n = 33: refused without a message of its own
    SetEeprom(image);
    EXPECT_EQ(Load(), Messages{"Fail to load product string"});

    image[100] = 0x01;  // n computed in 8 bits: 255
    SetEeprom(image);
    EXPECT_EQ(Load(), Messages{"Fail to load product string"});

    image = Image({0x08, 0x10, 92, 250});
    image[250] = 2 * 10 + 2;
    SetEeprom(image);
    EXPECT_EQ(Load(), (Messages{"EEPROM Exceed !!!", "Fail to load product string"}));
    EXPECT_EQ(result, 0);
}

TEST_F(LoadSaveTest, EqBlockBoundsOnLoad)
{
    SetEeprom(Image({227, 229}));
    EXPECT_EQ(Load(), (Messages{"EEPROM Exceed !!!", "Fail to load EQ gains header"}));
    SetEeprom(Image({227, 221}));
    EXPECT_EQ(Load(), (Messages{"EEPROM Exceed !!!", "Fail to load EQ gains"}));

    // The band block is read from just after the last string.
    auto image = Image({0xA6, 0x01, 0x08, 0x08, 91, 230});
    PutString(image, 230, "0123456789");
    SetEeprom(image);
    EXPECT_EQ(Load(), (Messages{"EEPROM Exceed !!!", "Fail to load EQ bandwidth"}));
    EXPECT_EQ(result, 0);

    SetEeprom(Image({0xA6, 0x01}));
    device.Chip().FailEepromTransfer(3);
    EXPECT_EQ(Load(), Messages{"Fail to load EQ bandwidth"});
}

TEST_F(LoadSaveTest, EmptyMapSaveOverwritesOnlyTheFirstMagicByte)
{
    ApplyFactoryConfiguration(config);
    ASSERT_EQ(Save(), Messages{});
    const auto before = Eeprom();

    EepromConfig empty(device.Library(), prompter);
    EXPECT_EQ(empty.SaveToEeprom(), 1);
    auto after = Eeprom();
    EXPECT_EQ(after[0], 0xFF);
    after[0] = before[0];
    EXPECT_EQ(after, before);

    device.Chip().FailEepromTransfer(1);
    prompter.Clear();
    EXPECT_EQ(empty.SaveToEeprom(), 0);
    EXPECT_EQ(prompter.Messages(), Messages{"Fail to erase EEPROM header"});
}

TEST_F(LoadSaveTest, TransferFailuresOnSaveKeepTheirOrderAndPartialResult)
{
    ApplyFactoryConfiguration(config);
    // Transfers: header, stream, then characters and length byte per string,
    // then run header and gains per preset.
    struct Case {
        int transfer;
        Messages messages;
    };
    const Case cases[] = {
        {1, {"Fail to write EEPROM header"}},
        {2, {"Fail to write EEPROM content"}},
        {3, {"Fail to write string", "Fail to save manufacturer string"}},
        {4, {"Fail to save manufacturer string"}},
        {6, {"Fail to save product string"}},
        {9, {"Fail to write string", "Fail to save UCQ string"}},
        {11, {"Fail to save EQ gains header"}},
        {18, {"Fail to save EQ gains"}},
    };
    for (const Case& c : cases) {
        SetEeprom({});
        device.Chip().FailEepromTransfer(c.transfer);
        EXPECT_EQ(Save(), c.messages) << c.transfer;
        EXPECT_EQ(result, 0);
    }

    // A failure part-way leaves the blocks written so far under an erased
    // first byte: the EEPROM reads as empty until the header comes last.
    SetEeprom(Image({1, 2}));
    device.Chip().FailEepromTransfer(3);
    Save();
    auto eeprom = Eeprom();
    EXPECT_EQ(eeprom[0], 0xFF);
    EXPECT_EQ(eeprom[1], 'K');
    EXPECT_EQ(eeprom[3], 2);
    EXPECT_EQ(eeprom[4], config.Content()[0]);
    EXPECT_EQ(eeprom[78], 0xFF);
    EepromConfig reader(device.Library(), prompter);
    prompter.Clear();
    EXPECT_EQ(reader.LoadFromEeprom(), 1);
    EXPECT_EQ(prompter.Messages(), Messages{"EEPROM Empty"});

    // The header is the last transfer; its failure leaves the EEPROM empty too.
    SetEeprom({});
    device.Chip().FailEepromTransfer(19);
    EXPECT_EQ(Save(), Messages{"Fail to write EEPROM header"});
    EXPECT_EQ(Eeprom()[0], 0xFF);
    EXPECT_EQ(Eeprom()[14], config.Content()[10]);

    config.ClearEqPresetGains();
    config.SetRegisterValue(166, 1);
    SetEeprom({});
    device.Chip().FailEepromTransfer(11);
    EXPECT_EQ(Save(), Messages{"Fail to save EQ bandwidth"});
}

// What an EEPROM decodes as: "empty", or its header, register map, strings
// and EQ gains as a load finds them.
std::string Decode(SimulatedDevice& reader, const std::vector<std::uint8_t>& eeprom)
{
    EXPECT_TRUE(reader.Chip().SetEeprom(eeprom));
    reader.Library().ForgetEepromContent();
    RecordingPrompter quiet;
    EepromConfig loaded(reader.Library(), quiet);
    const int result = loaded.LoadFromEeprom();
    if (quiet.Messages() == Messages{"EEPROM Empty"}) {
        return "empty";
    }
    std::string text = std::to_string(result);
    for (const std::string& m : quiet.Messages()) {
        text += "|" + m;
    }
    for (const std::uint8_t b : loaded.Header()) {
        text += " " + std::to_string(b);
    }
    for (int r = 0; r < 256; ++r) {
        const auto reg = static_cast<std::uint8_t>(r);
        if (loaded.IsRegisterPresent(reg) != 0) {
            text += " r" + std::to_string(r) + "=" + std::to_string(loaded.GetRegisterValue(reg));
        }
    }
    for (int i = 0; i < 4; ++i) {
        std::string s;
        loaded.GetString(i, s);
        text += " \"" + s + "\"";
    }
    EqPresetGains gains{};
    loaded.GetEqPresetGains(gains);
    for (const auto& preset : gains) {
        for (const std::uint8_t g : preset) {
            text += " " + std::to_string(g);
        }
    }
    return text;
}

TEST_F(LoadSaveTest, SaveCutOffAtAnyTransferReadsAsOldNewOrEmpty)
{
    // The old image differs from the factory one in its stream length,
    // strings and EQ gains, so a mixture of both decodes as neither.
    EepromConfig changed(device.Library(), prompter);
    ApplyFactoryConfiguration(changed);
    changed.SetString(0, "Old Maker Of Things");
    changed.SetString(2, "OLD-77");
    changed.SetRegisterValue(40, 0x21);
    EqPresetGains oldGains{};
    changed.GetEqPresetGains(oldGains);
    for (auto& preset : oldGains) {
        preset[1] = static_cast<std::uint8_t>(preset[1] + 3);
    }
    changed.SetEqPresetGains(oldGains);
    ASSERT_EQ(changed.SaveToEeprom(), 1);
    const auto oldImage = Eeprom();
    const auto newImage = FactoryEepromImage();
    ASSERT_NE(oldImage, newImage);

    SimulatedDevice reader;
    ASSERT_EQ(reader.Start(), 1);
    const std::string oldText = Decode(reader, oldImage);
    const std::string newText = Decode(reader, newImage);
    ASSERT_NE(oldText, "empty");
    ASSERT_NE(newText, "empty");
    ASSERT_NE(oldText, newText);

    ApplyFactoryConfiguration(config);
    std::string table;
    for (int k = 1;; ++k) {
        SetEeprom(oldImage);
        device.Chip().FailEepromTransfer(k);
        Save();
        device.Chip().FailEepromTransfer(0);
        const std::string text = Decode(reader, Eeprom());
        const char* outcome = text == oldText   ? "old"
                              : text == newText ? "new"
                              : text == "empty" ? "empty"
                                                : "torn";
        table += "transfer " + std::to_string(k) + ": " + outcome + "\n";
        EXPECT_STRNE(outcome, "torn") << "failure at transfer " << k << ": " << text;
        if (result == 1) {
            EXPECT_STREQ(outcome, "new");
            break;
        }
        EXPECT_STRNE(outcome, "new") << k;
        ASSERT_LT(k, 100);
    }
    std::cout << table;
}

// Saves that cannot fit fail before the first write: the EEPROM keeps its
// previous image instead of a new header over old blocks.
class SaveBoundsTest : public LoadSaveTest {
protected:
    void SetUp() override
    {
        LoadSaveTest::SetUp();
        EepromConfig factory(device.Library(), prompter);
        ApplyFactoryConfiguration(factory);
        ASSERT_EQ(factory.SaveToEeprom(), 1);
        previous = Eeprom();
        writesBefore = device.Chip().GetCounters().eepromWriteCommands;
    }

    void ExpectNothingWritten()
    {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(Eeprom(), previous);
        EXPECT_EQ(device.Chip().GetCounters().eepromWriteCommands, writesBefore);
    }

    // Present registers 0..count-1 (skipping the block address registers).
    void FillStream(int count)
    {
        for (int r = 0; r < count; ++r) {
            if (r != 8 && (r < 91 || r > 94)) {
                config.SetRegisterValue(static_cast<std::uint8_t>(r), 0x33);
            }
        }
    }

    std::vector<std::uint8_t> previous;
    int writesBefore = 0;
};

TEST_F(SaveBoundsTest, StreamLongerThanTheEeprom)
{
    FillStream(160);
    EXPECT_EQ(Save(), (Messages{"EEPROM Full !!!", "Fail to write EEPROM content"}));
    ExpectNothingWritten();
}

TEST_F(SaveBoundsTest, StringLongerThan32Characters)
{
    config.SetString(0, "Maker");
    config.SetString(1, std::string(33, 'p'));
    EXPECT_EQ(Save(), Messages{"Fail to save product string"});
    ExpectNothingWritten();
}

TEST_F(SaveBoundsTest, StringBlockPastTheEnd)
{
    FillStream(100);  // a stream of about 190 bytes
    config.SetString(0, std::string(30, 'm'));
    config.SetString(2, std::string(30, 's'));
    EXPECT_EQ(Save(), (Messages{"EEPROM Full !!!", "Fail to write string",
                                "Fail to save serial string"}));
    ExpectNothingWritten();
}

TEST_F(SaveBoundsTest, BlockAddressPast255IsNeverCutToAByte)
{
    // 124 pairs and two filler pairs: a stream of exactly 252 bytes, so the
    // first block would start at address 256.
    FillStream(126);
    config.SetRegisterValue(91, 0x50);
    config.SetString(0, "abc");
    config.SetString(1, "defgh");
    config.BuildContent();
    ASSERT_EQ(config.BuiltContentLength(), 252u);
    EXPECT_EQ(config.GetRegisterValue(91), 0x50);
    EXPECT_EQ(Save(), (Messages{"EEPROM Full !!!", "Fail to write string",
                                "Fail to save manufacturer string"}));
    ExpectNothingWritten();
}

TEST_F(SaveBoundsTest, EqPresetBlocksPastTheEnd)
{
    // Lengthen the UCQ string until the presets land at 221: three presets
    // fit, the fourth's gains would end at 257.
    FillStream(43);
    config.SetString(0, std::string(32, 'a'));
    config.SetString(1, std::string(32, 'b'));
    config.SetString(2, std::string(32, 'c'));
    config.SetString(3, "d");
    config.SetEqPresetGains(EqPresetGains{});
    config.BuildContent();
    const int base = config.GetRegisterValue(227);
    ASSERT_GE(base, 190);
    ASSERT_LE(base, 220);
    config.SetString(3, std::string(static_cast<std::size_t>(1 + 221 - base), 'd'));
    EXPECT_EQ(Save(), (Messages{"EEPROM Full !!!", "Fail to save EQ gains"}));
    EXPECT_EQ(config.GetRegisterValue(227), 221);
    ExpectNothingWritten();

    // One byte less and the four presets end exactly at address 255.
    config.SetString(3, std::string(static_cast<std::size_t>(1 + 220 - base), 'd'));
    EXPECT_EQ(Save(), Messages{});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(config.GetRegisterValue(227), 220);
    EXPECT_EQ(Eeprom()[247], 0xFE);
    EXPECT_EQ(Eeprom()[248], 0xA0);
}

TEST_F(SaveBoundsTest, BandBlockPastTheEnd)
{
    // The strings still fit (up to address 249); the band block would end at 269.
    FillStream(50);
    config.SetRegisterValue(166, 1);
    for (int i = 0; i < 4; ++i) {
        config.SetString(i, std::string(32, static_cast<char>('a' + i)));
    }
    EXPECT_EQ(Save(), (Messages{"EEPROM Full !!!", "Fail to save EQ bandwidth"}));
    ExpectNothingWritten();
}

}  // namespace
}  // namespace tovrik
