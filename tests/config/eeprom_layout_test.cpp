// SPDX-License-Identifier: MIT
// The register-setting stream: how the register map is built into the
// EEPROM layout and parsed back, without a device.
#include <gtest/gtest.h>

#include <vector>

#include "config/eeprom_config.h"
#include "platform/recording_prompter.h"
#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

std::vector<std::uint8_t> Stream(const EepromConfig& config)
{
    const auto& content = config.Content();
    return {content.begin(), content.begin() + config.Header()[3]};
}


struct Parsed {
    int result;
    std::vector<std::string> messages;
};

// Loads an image whose stream is `stream` (header "TK", 4, length).
Parsed LoadStream(EepromConfig& config, MemoryEepromLibrary& library, RecordingPrompter& prompter,
                  const std::vector<std::uint8_t>& stream)
{
    library.eeprom.fill(0xFF);
    library.eeprom[0] = 'T';
    library.eeprom[1] = 'K';
    library.eeprom[2] = 4;
    library.eeprom[3] = static_cast<std::uint8_t>(stream.size());
    std::copy(stream.begin(), stream.end(), library.eeprom.begin() + 4);
    prompter.Clear();
    int result = config.LoadFromEeprom();
    return {result, prompter.Messages()};
}

class LayoutTest : public ::testing::Test {
protected:
    MemoryEepromLibrary library;
    RecordingPrompter prompter;
    EepromConfig config{library, prompter};
};

TEST_F(LayoutTest, EmptyMapBuildsAnEmptyStreamWithoutFiller)
{
    EXPECT_EQ(config.BuildContent(), 1);
    EXPECT_EQ(config.Header(), (std::array<std::uint8_t, 4>{0x54, 0x4B, 4, 0}));
    EXPECT_EQ(config.BuiltContentLength(), 0u);
}

TEST_F(LayoutTest, FillerPairsGoAtPositionsSixteenAndSeventyTwo)
{
    for (int r = 0; r < 9; ++r) {
        config.SetRegisterValue(static_cast<std::uint8_t>(10 + r), static_cast<std::uint8_t>(r));
    }
    config.BuildContent();
    auto s = Stream(config);
    ASSERT_EQ(s.size(), 20u);
    EXPECT_EQ(s[14], 17);
    EXPECT_EQ(s[16], 0xFF);
    EXPECT_EQ(s[17], 0xFF);
    EXPECT_EQ(s[18], 18);
    EXPECT_EQ(s[19], 8);

    // Eight pairs: the filler still follows at 16, whether or not another register comes.
    config.ClearRegister(18);
    config.BuildContent();
    EXPECT_EQ(Stream(config).size(), 18u);
    EXPECT_EQ(Stream(config)[16], 0xFF);

    // Thirty-five pairs put the second filler at 72.
    for (int r = 0; r < 35; ++r) {
        config.SetRegisterValue(static_cast<std::uint8_t>(r), 0x11);
    }
    config.BuildContent();
    s = Stream(config);
    ASSERT_EQ(s.size(), 74u);
    EXPECT_EQ(s[72], 0xFF);
    EXPECT_EQ(s[73], 0xFF);
    EXPECT_EQ(s[70], 34);
}

TEST_F(LayoutTest, CompleteEqRangeIsOneRunAfterFillerUpToSeventyFour)
{
    config.SetRegisterValue(5, 0x55);
    for (int r = 160; r <= 225; ++r) {
        config.SetRegisterValue(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(r - 100));
    }
    config.BuildContent();
    auto s = Stream(config);
    ASSERT_EQ(s.size(), 74u + 3 + 66 + 1);
    EXPECT_EQ(s[0], 5);
    for (std::size_t i = 2; i < 74; ++i) {
        EXPECT_EQ(s[i], 0xFF) << i;
    }
    EXPECT_EQ(s[74], 0xFE);
    EXPECT_EQ(s[75], 0xA0);
    EXPECT_EQ(s[76], 0x42);
    EXPECT_EQ(s[77], 60);
    EXPECT_EQ(s[77 + 65], 125);
    EXPECT_EQ(s.back(), 0x00);

    // With one EQ register missing everything is written as pairs, without filler.
    config.ClearRegister(200);
    config.BuildContent();
    s = Stream(config);
    ASSERT_EQ(s.size(), 2u + 2 * 65);
    EXPECT_EQ(s[2], 160);
    EXPECT_EQ(s[3], 60);
}

TEST_F(LayoutTest, BlocksArePlacedAfterTheStreamFromAddressSeventyEight)
{
    config.SetRegisterValue(0, 0x09);
    config.SetString(0, "Maker");
    config.SetString(2, "SN1");
    EqPresetGains gains{};
    config.SetEqPresetGains(gains);
    config.BuildContent();
    EXPECT_EQ(config.GetRegisterValue(91), 78);
    EXPECT_EQ(config.GetRegisterValue(93), 78 + 6);
    EXPECT_EQ(config.GetRegisterValue(227), 78 + 6 + 4);
    // The addresses are also patched into the stream's value bytes.
    auto s = Stream(config);
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        if (s[i] == 91) {
            EXPECT_EQ(s[i + 1], 78);
        }
        if (s[i] == 227) {
            EXPECT_EQ(s[i + 1], 88);
        }
    }
}

TEST_F(LayoutTest, SetStringMaintainsBitsAddressPresenceAndRegisterEight)
{
    config.SetString(1, "Product");
    EXPECT_EQ(config.GetRegisterValue(8), 0x10);
    EXPECT_EQ(config.IsRegisterPresent(8), 1);
    EXPECT_EQ(config.IsRegisterPresent(92), 1);
    config.SetString(3, "Q");
    EXPECT_EQ(config.GetRegisterValue(8), 0x50);

    config.SetString(1, "");
    EXPECT_EQ(config.GetRegisterValue(8), 0x40);
    EXPECT_EQ(config.IsRegisterPresent(92), 0);
    EXPECT_EQ(config.IsRegisterPresent(8), 1);
    config.SetString(3, "");
    EXPECT_EQ(config.IsRegisterPresent(8), 0);

    // Other bits of register 8 are kept, and they keep it present.
    config.SetRegisterValue(8, 0x01);
    config.SetString(0, "");
    EXPECT_EQ(config.GetRegisterValue(8), 0x01);
    EXPECT_EQ(config.IsRegisterPresent(8), 1);

    std::string text;
    EXPECT_EQ(config.SetString(4, "x"), 0);
    EXPECT_EQ(config.GetString(4, text), 0);
    EXPECT_EQ(config.GetString(3, text), 1);
}

TEST_F(LayoutTest, EqPresetGainsDriveThePresenceOfTheirAddressRegister)
{
    config.SetRegisterValue(227, 0x40);
    config.ClearEqPresetGains();
    EXPECT_EQ(config.IsRegisterPresent(227), 0);
    EXPECT_EQ(config.GetRegisterValue(227), 0x40);
    EqPresetGains gains{};
    gains[3][5] = 7;
    config.SetEqPresetGains(gains);
    EXPECT_EQ(config.IsRegisterPresent(227), 1);
    EqPresetGains out{};
    config.GetEqPresetGains(out);
    EXPECT_EQ(out, gains);
}

TEST_F(LayoutTest, RunItemsWrapAroundAndFillerReadsBackAsRegister255)
{
    auto parsed = LoadStream(config, library, prompter,
                             {0xFE, 0xFF, 0x02, 0x12, 0x34, 0x00, 0xFF, 0xFF, 0x07, 0x70});
    EXPECT_EQ(parsed.result, 1);
    EXPECT_TRUE(parsed.messages.empty());
    EXPECT_EQ(config.GetRegisterValue(255), 0xFF);  // the run set 0x12, the filler overwrote it
    EXPECT_EQ(config.GetRegisterValue(0), 0x34);
    EXPECT_EQ(config.IsRegisterPresent(0), 1);
    EXPECT_EQ(config.GetRegisterValue(7), 0x70);

    // Building again writes filler only at the fixed positions, never register 255 itself.
    config.BuildContent();
    EXPECT_EQ(Stream(config), (std::vector<std::uint8_t>{0x00, 0x34, 0x07, 0x70}));
}

TEST_F(LayoutTest, MalformedStreamsClearTheMapWithTheirMessage)
{
    config.SetString(0, "kept");
    struct Case {
        std::vector<std::uint8_t> stream;
        const char* message;
    };
    const Case cases[] = {
        {{0x01, 0x02, 0xFE, 0x10, 0x01, 0x33, 0x01}, "Successive data format error"},
        {{0x01, 0x02, 0x03}, "Header length error"},                  // last pair cut off
        {{0x01, 0x02, 0xFE, 0x10, 0x02, 0x33}, "Header length error"},  // run past the end
        {{0xFE, 0x10}, "Header length error"},                        // run header cut off
    };
    for (const Case& c : cases) {
        auto parsed = LoadStream(config, library, prompter, c.stream);
        EXPECT_EQ(parsed.result, 0);
        EXPECT_EQ(parsed.messages, std::vector<std::string>{c.message});
        for (int r = 0; r < 256; ++r) {
            ASSERT_EQ(config.IsRegisterPresent(static_cast<std::uint8_t>(r)), 0) << r;
            ASSERT_EQ(config.GetRegisterValue(static_cast<std::uint8_t>(r)), 0) << r;
        }
    }
}

TEST_F(LayoutTest, Register254SurvivesTheRoundTripAsARunOfOne)
{
    config.SetRegisterValue(254, 0x5A);
    config.SetRegisterValue(3, 0x30);
    config.BuildContent();
    EXPECT_EQ(Stream(config),
              (std::vector<std::uint8_t>{0x03, 0x30, 0xFE, 0xFE, 0x01, 0x5A, 0x00}));
    ASSERT_EQ(config.SaveToEeprom(), 1);
    EepromConfig loaded(library, prompter);
    ASSERT_EQ(loaded.LoadFromEeprom(), 1);
    EXPECT_EQ(loaded.GetRegisterValue(254), 0x5A);
    EXPECT_EQ(loaded.GetRegisterValue(3), 0x30);
    int present = 0;
    for (int r = 0; r < 256; ++r) {
        present += loaded.IsRegisterPresent(static_cast<std::uint8_t>(r));
    }
    EXPECT_EQ(present, 2);
}

TEST_F(LayoutTest, OversizedStreamNeverWritesPastTheContentBuffer)
{
    // Every register present: about 450 stream bytes, far more than fit.
    for (int r = 0; r < 256; ++r) {
        config.SetRegisterValue(static_cast<std::uint8_t>(r), 0x42);
    }
    config.SetString(0, "M");
    EXPECT_EQ(config.BuildContent(), 1);
    EXPECT_GT(config.BuiltContentLength(), 252u);
    EXPECT_EQ(config.Header()[3], 0xFF);
    // The block address would lie past 255: the register keeps its old value
    // instead of a truncated one pointing into the header.
    EXPECT_EQ(config.GetRegisterValue(91), 0x42);
}

}  // namespace
}  // namespace tovrik
