// SPDX-License-Identifier: MIT
// The EQ page inside the tool: its template, and its way from connect through
// "Apply" and save to a replugged chip, on the simulated chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "app/factory_image.h"
#include "device/sim/simulated_device.h"
#include "pages/config/eq_coefficients.h"
#include "pages/config/eq_page.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/dialog_templates.h"
#include "resources/eq_ids.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {
namespace {

SimulatedChipOptions ChipWithCode(std::uint8_t code)
{
    SimulatedChipOptions options = FactoryChipOptions();
    options.deviceCode = code;
    return options;
}

TEST(EqTemplateTest, HoldsEveryControlOfThePageLaidOutInsideIt)
{
    const DialogTemplate& t = GetDialogTemplate(IDD_EQ_CONFIG);
    std::vector<int> ids = {IDC_EQ_BAND1_TITLE,
                            IDC_EQ_BAND5_TITLE,
                            IDC_EQ_SETTING_GROUP,
                            IDC_EQ_DISABLE,
                            IDC_EQ_TREBLE_BASS,
                            IDC_EQ_SAMPLE_RATE,
                            IDC_EQ_COEFFICIENT_GROUP,
                            IDC_EQ_MODE_CHIP_DEFAULT,
                            IDC_EQ_MODE_USER_DEFINED,
                            IDC_EQ_MODE_ONE_PRESET,
                            IDC_EQ_PRESET_GROUP,
                            IDC_EQ_PRESET_SELECT,
                            IDC_EQ_APPLY,
                            IDC_EQ_RESET,
                            IDC_EQ_TEST,
                            IDC_EQ_COMPENSATION};
    for (const auto& group :
         {IDC_EQ_GAIN_SLIDERS, IDC_EQ_GAIN_TEXTS, IDC_EQ_FREQUENCIES, IDC_EQ_BANDWIDTHS}) {
        ids.insert(ids.end(), group.begin(), group.end());
    }
    for (const auto& row : IDC_EQ_PRESET_GRID) {
        ids.insert(ids.end(), row.begin(), row.end());
    }
    std::map<int, const ControlTemplate*> byId;
    for (const ControlTemplate& c : t.controls) {
        byId[c.id] = &c;
    }
    for (int id : ids) {
        ASSERT_EQ(byId.count(id), 1u) << id;
        const bool hidden =
            id == IDC_EQ_TEST || id == IDC_EQ_COMPENSATION || (id >= 1163 && id <= 1166);
        EXPECT_EQ(byId[id]->visible, !hidden) << id;
        const bool editEnter =
            id == IDC_EQ_COMPENSATION ||
            std::count(IDC_EQ_GAIN_TEXTS.begin(), IDC_EQ_GAIN_TEXTS.end(), id) != 0;
        EXPECT_EQ(byId[id]->takesEnterAndTab, editEnter) << id;
    }
    EXPECT_EQ(byId[IDC_EQ_PRESET_SELECT]->items,
              (std::vector<std::string>{"00", "11", "01", "10"}));

    // As a desktop renderer draws them: inside the page, and apart from each
    // other unless a group box frames them.
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& a = t.controls[i];
        EXPECT_FALSE(a.rect.IsEmpty()) << a.text << a.id;
        EXPECT_EQ(Rect(a.rect), (Rect{std::max(a.rect.left, 0), std::max(a.rect.top, 0),
                                      std::min(a.rect.right, templates::kPageRect.right),
                                      std::min(a.rect.bottom, templates::kPageRect.bottom)}))
            << a.text << a.id;
        for (std::size_t j = i + 1; j < t.controls.size(); ++j) {
            const ControlTemplate& b = t.controls[j];
            if (a.kind != ControlKind::GroupBox && b.kind != ControlKind::GroupBox && a.visible &&
                b.visible) {
                EXPECT_FALSE(a.rect.Intersects(b.rect))
                    << a.text << a.id << " / " << b.text << b.id;
            }
        }
    }
}

class EqPageTest : public ::testing::Test {
protected:
    explicit EqPageTest(std::uint8_t code = 31) : device(ChipWithCode(code)) {}

    void SetUp() override
    {
        config.SetHidTransport(&device.Transport());
        ASSERT_EQ(app.InitInstance(false), 1);
        window = app.MainWindow();
        device.Transport().SetDeviceChangeTarget(&queue, window->Handle());
        page = dynamic_cast<CEQPage*>(window->Sheet().FindPage("EQ Config"));
        ASSERT_NE(page, nullptr);
    }

    void Connect()
    {
        window->GetDlgItem(IDC_VID)->TypeText("1209");
        window->GetDlgItem(IDC_PID)->TypeText("0001");
        window->OnCommand(IDC_CONNECT, Notify::Clicked);
        ASSERT_EQ(window->IsConnected(), 1);
    }
    void Main(int id) { window->OnCommand(id, Notify::Clicked); }
    void ShowPage() { ASSERT_EQ(window->Sheet().SetActivePage(page), 1); }
    Control& C(int id) { return *page->GetDlgItem(id); }
    void Click(int id) { user_input::Click(*page, C(id)); }
    void TypeAndLeave(int id, const std::string& text)
    {
        user_input::Type(*page, C(id), text);
        user_input::Leave(*page, C(id));
    }
    void Replug()
    {
        device.Chip().Unplug();
        Settle();
        device.Chip().Plug();
        Settle();
    }
    void Settle()
    {
        while (auto m = queue.Take(std::chrono::milliseconds(200))) {
            if (Dialog* target = ui.Find(m->window)) {
                target->OnMessage(m->message, m->wParam, m->lParam);
            }
        }
    }
    std::vector<int> ChipRegisters(int first, int count)
    {
        std::vector<int> values;
        for (int i = 0; i < count; ++i) {
            values.push_back(device.Chip().Register(static_cast<std::uint8_t>(first + i)));
        }
        return values;
    }
    static std::vector<int> Bytes(int fc, int bw)
    {
        const auto bytes = BandRegisterBytes(ComputeBandCoefficients(48000, fc, bw));
        return {bytes.begin(), bytes.end()};
    }

    SimulatedDevice device;
    RecordingPrompter prompter;
    MessageQueue& queue = device.Queue();
    UiContext ui{prompter, queue};
    EepromConfig config{device.Library(), prompter};
    CDemoApp app{ui, device.Library(), config};
    CDemoDlg* window = nullptr;
    CEQPage* page = nullptr;
};

TEST_F(EqPageTest, OnePresetSettingsReachTheChipAtOnceAndAfterSaveAndReplug)
{
    Connect();
    ShowPage();
    // The factory image holds user presets.
    EXPECT_TRUE(C(IDC_EQ_MODE_USER_DEFINED).IsChecked());
    Click(IDC_EQ_MODE_ONE_PRESET);
    TypeAndLeave(IDC_EQ_FREQUENCIES[2], "1200");
    TypeAndLeave(IDC_EQ_BANDWIDTHS[2], "600");
    TypeAndLeave(IDC_EQ_GAIN_TEXTS[0], "6");
    Click(IDC_EQ_APPLY);
    Settle();
    EXPECT_EQ(ChipRegisters(166 + 24, 12), Bytes(1200, 600));
    EXPECT_EQ(ChipRegisters(166, 12), Bytes(100, 70));
    EXPECT_EQ(ChipRegisters(160, 6), (std::vector<int>{36, 24, 24, 24, 24, 28}));

    Main(IDC_SAVE_EEPROM);
    EXPECT_EQ(prompter.Messages().back(),
              "Save into EEPROM completely.\n\nPlease un-plug and re-plug the USB device for the "
              "changes to take effect !!!");
    Replug();
    EXPECT_EQ(window->IsConnected(), 0);
    // The chip boots the band from the EEPROM.
    EXPECT_EQ(ChipRegisters(166 + 24, 12), Bytes(1200, 600));
    EXPECT_EQ(device.Chip().Register(160), 36);

    // Edits not saved are replaced by what the image holds on the next load.
    TypeAndLeave(IDC_EQ_FREQUENCIES[2], "1500");
    Connect();
    EXPECT_TRUE(C(IDC_EQ_MODE_ONE_PRESET).IsChecked());
    EXPECT_EQ(C(IDC_EQ_FREQUENCIES[2]).Text(), "1200");
    EXPECT_EQ(C(IDC_EQ_BANDWIDTHS[2]).Text(), "600");
    EXPECT_EQ(C(IDC_EQ_GAIN_TEXTS[0]).Text(), "6.0");
    EXPECT_EQ(C(IDC_EQ_GAIN_SLIDERS[0]).GetPos(), 12);
    EXPECT_FALSE(config.IsRegisterPresent(227));
}

TEST_F(EqPageTest, CodeWithFiveLowBitsSetStartsAnEmptyImageInOnePresetModeOnceShown)
{
    Connect();
    Main(IDC_ERASE);
    prompter.QueueAnswer(true);
    Main(IDC_REFRESH);
    ASSERT_EQ(window->IsConnected(), 1);
    EXPECT_FALSE(config.IsRegisterPresent(227));

    // A page never shown leaves its part of the image as loaded.
    Main(IDC_SAVE_EEPROM);
    EXPECT_FALSE(config.IsRegisterPresent(160));

    ShowPage();
    EXPECT_TRUE(C(IDC_EQ_MODE_ONE_PRESET).IsChecked());
    EXPECT_EQ(C(IDC_EQ_GAIN_TEXTS[4]).Text(), "0.0");
    EXPECT_EQ(C(IDC_EQ_FREQUENCIES[4]).Text(), "13000");
    Main(IDC_SAVE_EEPROM);
    for (int reg = 160; reg <= 225; ++reg) {
        EXPECT_TRUE(config.IsRegisterPresent(static_cast<std::uint8_t>(reg))) << reg;
    }
    EqBandSettings bands{};
    config.GetEqBandSettings(bands);
    EXPECT_EQ(bands[2], (std::array<std::uint16_t, 2>{1000, 620}));
}

}  // namespace
}  // namespace tovrik
