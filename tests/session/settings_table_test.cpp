// SPDX-License-Identifier: MIT
#include "session/settings_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "session/config_models.h"
#include "session/tool_session.h"

namespace tovrik {
namespace {

// The tool connected to an in-memory chip holding `image`, with the four
// pages' models opened on what it loaded.
class LoadedTool {
public:
    explicit LoadedTool(const std::vector<std::uint8_t>& image) { Load(image); }

    void Load(const std::vector<std::uint8_t>& image)
    {
        SessionDescription description;
        description.chip.simulate = true;
        description.chip.image = image;
        description.backupsBeforeWrites = false;
        std::string error;
        session_ = ToolSession::Build(description, prompter_, error);
        EXPECT_NE(session_, nullptr) << error;
        session_->Start(false);
        CDemoDlg& window = *session_->MainWindow();
        // The chip answers with the ids its image holds.
        const std::optional<HidDeviceInfo> ids = session_->Chip()->Enumeration();
        ASSERT_TRUE(ids);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", ids->vendorId);
        user_input::Type(window, *window.GetDlgItem(IDC_VID), hex);
        std::snprintf(hex, sizeof hex, "%04X", ids->productId);
        user_input::Type(window, *window.GetDlgItem(IDC_PID), hex);
        user_input::Click(window, *window.GetDlgItem(IDC_CONNECT));
        EXPECT_EQ(window.IsConnected(), 1);
        models_ = std::make_unique<ConfigModels>(session_->Config(), session_->Prompts());
        models_->Create(session_->App().CurrentDeviceProfile());
    }

    SettingsTable& Table() { return models_->Table(); }

    std::string Value(const std::string& key)
    {
        for (const SettingValue& v : Table().Read()) {
            if (v.key == key) {
                return v.value;
            }
        }
        ADD_FAILURE() << "no setting " << key;
        return {};
    }

    // Stores every page and saves, then returns the chip's first 256 bytes.
    std::vector<std::uint8_t> Save()
    {
        EXPECT_TRUE(models_->StoreToImage());
        EXPECT_EQ(session_->Config().SaveToEeprom(), 1) << Messages();
        std::vector<std::uint8_t> eeprom = session_->Chip()->Eeprom();
        eeprom.resize(256);
        return eeprom;
    }

    std::string Messages() const
    {
        std::string all;
        for (const std::string& m : prompter_.Messages()) {
            all += m + "\n";
        }
        return all;
    }

private:
    RecordingPrompter prompter_;
    std::unique_ptr<ToolSession> session_;
    std::unique_ptr<ConfigModels> models_;
};

// What has to be set first for a setting to be open to change, as on the page.
const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>
    kPreconditions = {
        {"volume.playback.", {{"volume.playback.range", "on"}}},
        {"volume.mic_record.", {{"volume.mic_record.range", "on"}}},
        {"volume.mic_aa.", {{"volume.mic_aa.range", "on"}}},
        {"volume.line_record.", {{"volume.line_record.range", "on"}}},
        {"volume.line_aa.", {{"volume.line_aa.range", "on"}}},
        {"eq.band", {{"eq.coefficients", "One-preset mode"}}},
        {"eq.compensation", {{"eq.coefficients", "One-preset mode"}}},
        {"eq.treble_bass", {{"eq.coefficients", "One-preset mode"}}},
        {"misc.threshold", {{"misc.agc_feature", "Enable"}, {"misc.threshold", "on"}}},
        {"misc.fixed_gain", {{"misc.agc_feature", "Enable"}, {"misc.fixed_gain", "on"}}},
};

// Values for the texts; lists, switches and choices take another of their entries.
const std::map<std::string, std::string> kTexts = {
    {"usb.vid", "ABCD"},
    {"usb.pid", "0042"},
    {"usb.manufacturer", "Maker"},
    {"usb.product", "Thing \xC3\xA9"},
    {"usb.serial", "SN-9"},
    {"usb.ucq", ""},
    {"usb.interval", "7"},
    {"eq.compensation", "3"},
    {"misc.threshold.value", "-5.0"},
    {"misc.fixed_gain.value", "4.5"},
    {"misc.stereo_mixer_terminal", "0A"},
};

std::string AnotherValue(LoadedTool& tool, const SettingEntry& setting)
{
    if (const auto text = kTexts.find(setting.key); text != kTexts.end()) {
        return text->second;
    }
    const std::string kind = SettingsTable::KindOf(setting);
    const std::string now = tool.Value(setting.key);
    const std::string key = setting.key;
    if (key.rfind("eq.band", 0) == 0) {
        // A little off the band's default, inside the page's rule that the bandwidth stays
        // below the frequency.
        if (key.ends_with(".gain")) {
            return "1.5";
        }
        return std::to_string(std::stoi(now) + (key.ends_with(".frequency") ? 10 : -10));
    }
    if (kind == "switch") {
        return now == "on" ? "off" : "on";
    }
    std::string error;
    // A refusal of a value no list holds names the entries it takes.
    tool.Table().Assign(setting.key, "\x01", error);
    if (error.find("does not let it be changed now") != std::string::npos) {
        return "\x01";
    }
    std::vector<std::string> offered;
    for (std::size_t at = error.find('"'); at != std::string::npos;) {
        const std::size_t end = error.find('"', at + 1);
        offered.push_back(error.substr(at + 1, end - at - 1));
        at = error.find('"', end + 1);
    }
    // The entry next to the chosen one, so that ranges stay ranges.
    const auto at = std::find(offered.begin(), offered.end(), now);
    if (at != offered.end() && at + 1 != offered.end() && !(at + 1)->empty()) {
        return *(at + 1);
    }
    if (at != offered.end() && at != offered.begin() && !(at - 1)->empty()) {
        return *(at - 1);
    }
    for (const std::string& entry : offered) {
        if (entry != now && !entry.empty()) {
            return entry;
        }
    }
    return {};
}

// A list or box the page's template keeps hidden.
bool HiddenOption(const SettingEntry& setting)
{
    constexpr int kTemplates[] = {IDD_USB_CONFIG, IDD_VOLUME_CONFIG, IDD_EQ_CONFIG,
                                  IDD_MISC_CONFIG};
    for (const ControlTemplate& c : GetDialogTemplate(kTemplates[setting.page]).controls) {
        if (c.id == setting.controlId) {
            return !c.visible && c.kind != ControlKind::Edit;
        }
    }
    return false;
}

TEST(SettingsTableTest, EveryKeyThePageLetsChangeRoundTripsThroughSetSaveAndShow)
{
    const std::vector<std::uint8_t> factory = FactoryEepromImage();
    std::set<std::string> shownOnly;
    std::set<std::string> roundTripped;
    for (const SettingEntry& setting : SettingsTable::Entries()) {
        LoadedTool tool(factory);
        std::string error;
        for (const auto& [prefix, assignments] : kPreconditions) {
            if (std::string(setting.key).rfind(prefix, 0) == 0) {
                for (const auto& [key, value] : assignments) {
                    if (key != setting.key) {
                        ASSERT_TRUE(tool.Table().Assign(key, value, error)) << error;
                    }
                }
            }
        }
        const std::string value = AnotherValue(tool, setting);
        if (value.empty() && SettingsTable::KindOf(setting) == "list") {
            // The factory chip's topology offers one recording channel setting only.
            EXPECT_EQ(std::string(setting.key), "misc.recording_channels");
            continue;
        }
        if (!tool.Table().Assign(setting.key, value, error)) {
            EXPECT_NE(error.find("does not let it be changed now"), std::string::npos)
                << setting.key << ": " << error;
            shownOnly.insert(setting.key);
            continue;
        }
        LoadedTool reloaded(tool.Save());
        // Which preset the grid shows is the page's view, not part of the image.
        if (std::string(setting.key) != "eq.preset") {
            EXPECT_EQ(reloaded.Value(setting.key), value) << setting.key;
        }
        roundTripped.insert(setting.key);
    }
    // Shown but never changed: the read-only grid of the four presets, and
    // the options the pages keep hidden (loaded and stored as they are).
    std::set<std::string> expected;
    for (const SettingEntry& setting : SettingsTable::Entries()) {
        const std::string key = setting.key;
        if (key.rfind("eq.mode_", 0) == 0 || HiddenOption(setting)) {
            expected.insert(key);
        }
    }
    EXPECT_GE(expected.size(), 40u);
    EXPECT_EQ(shownOnly, expected);
    EXPECT_EQ(roundTripped.size() + shownOnly.size() + 1, SettingsTable::Entries().size());
}

TEST(SettingsTableTest, TheOldShortNamesStandForTheUsbKeys)
{
    for (const auto& [alias, key] : std::vector<std::pair<std::string, std::string>>{
             {"vid", "usb.vid"}, {"serial", "usb.serial"}, {"interval", "usb.interval"}}) {
        ASSERT_NE(SettingsTable::Find(alias), nullptr) << alias;
        EXPECT_EQ(SettingsTable::Find(alias)->key, key);
    }
    EXPECT_EQ(SettingsTable::Find("usb"), nullptr);
    EXPECT_EQ(SettingsTable::Find("colour"), nullptr);
}

TEST(SettingsTableTest, EachPageRefusesWhatItsRulesRefuseAndSaysTheRule)
{
    LoadedTool tool(FactoryEepromImage());
    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"interval=256", "from 0 to 255"},
        {"usb.serial=0123456789012345678901234567890X", "at most 31 characters, this one 32"},
        {"usb.vid=0x12", "1 to 4 hexadecimal digits"},
        // Above the playback maximum of 0 dB.
        {"volume.playback.max=5", "one of \"-39\""},
        // The line-in range is switched off: its lists are empty and disabled.
        {"volume.line_aa.max=5", "does not let it be changed now"},
        {"eq.coefficients=Loud", "one of \"Chip default 4-preset mode\""},
        // The threshold box is open only while AGC is enabled.
        {"misc.threshold=on", "does not let it be changed now"},
        {"misc.stereo_mixer_terminal=123", "at most 2 characters"},
        {"misc.clipping_led=yes", "on or off"},
    };
    for (const auto& [assignment, rule] : refusals) {
        const std::size_t equals = assignment.find('=');
        std::string error;
        EXPECT_FALSE(
            tool.Table().Assign(assignment.substr(0, equals), assignment.substr(equals + 1), error))
            << assignment;
        EXPECT_EQ(error.rfind(assignment + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(rule), std::string::npos) << assignment << " -> " << error;
    }
}

TEST(SettingsTableTest, APlaybackMaximumIsStoredAsTheWindowStoresIt)
{
    LoadedTool tool(FactoryEepromImage());
    std::string error;
    ASSERT_TRUE(tool.Table().Assign("volume.playback.max", "-5", error)) << error;
    // The initial level stays where it was, inside the narrower range.
    EXPECT_EQ(tool.Value("volume.playback.initial"), "-9");
    const std::vector<std::uint8_t> image = tool.Save();
    LoadedTool reloaded(image);
    EXPECT_EQ(reloaded.Value("volume.playback.max"), "-5");
    EXPECT_EQ(reloaded.Value("volume.playback.min"), "-40");
}

TEST(SettingsTableTest, DiffNamesTheKeysOfTheSettingsThatDiffer)
{
    LoadedTool tool(FactoryEepromImage());
    const std::vector<SettingValue> before = tool.Table().Read();
    std::string error;
    ASSERT_TRUE(tool.Table().Assign("serial", "X-1", error)) << error;
    ASSERT_TRUE(tool.Table().Assign("misc.clipping_led", "on", error)) << error;
    const std::vector<SettingChange> changes = DiffSettings(before, tool.Table().Read());
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].key, "usb.serial");
    EXPECT_EQ(changes[0].before, "TK23-000001");
    EXPECT_EQ(changes[0].after, "X-1");
    EXPECT_EQ(changes[1].key, "misc.clipping_led");
    EXPECT_EQ(changes[1].page, "Misc Config");
}

}  // namespace
}  // namespace tovrik
