// SPDX-License-Identifier: MIT
// The USB configuration page inside the whole tool, on a simulated chip.
#include "pages/config/usb_cfg_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "app/factory_image.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {
namespace {

using Messages = std::vector<std::string>;

constexpr int kFieldIds[] = {IDC_USB_VID,    IDC_USB_PID, IDC_USB_MANUFACTURER, IDC_USB_PRODUCT,
                             IDC_USB_SERIAL, IDC_USB_UCQ, IDC_USB_HID_INTERVAL};

class UsbCfgPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetHidTransport(&device.Transport());
        ASSERT_EQ(app.InitInstance(false), 1);
        window = app.MainWindow();
        device.Transport().SetDeviceChangeTarget(&queue, window->Handle());
        page = dynamic_cast<CUsbCfgPage*>(window->Sheet().FindPage("USB Config"));
        ASSERT_NE(page, nullptr);
        Connect("1209", "0001");
    }

    void Connect(const std::string& vid, const std::string& pid)
    {
        user_input::Type(*window, *window->GetDlgItem(IDC_VID), vid);
        user_input::Type(*window, *window->GetDlgItem(IDC_PID), pid);
        user_input::Click(*window, *window->GetDlgItem(IDC_CONNECT));
    }

    Control& Item(int id) { return *page->GetDlgItem(id); }
    std::string Text(int id) { return page->GetDlgItemText(id); }
    void Type(int id, const std::string& text) { user_input::Type(*page, Item(id), text); }

    std::string String(int index)
    {
        std::string text;
        config.GetString(index, text);
        return text;
    }

    SimulatedDevice device{FactoryChipOptions()};
    RecordingPrompter prompter;
    MessageQueue& queue = device.Queue();
    UiContext ui{prompter, queue};
    EepromConfig config{device.Library(), prompter};
    CDemoApp app{ui, device.Library(), config};
    CDemoDlg* window = nullptr;
    CUsbCfgPage* page = nullptr;
};

TEST_F(UsbCfgPageTest, ShowsTheImageWithHiddenFieldsLoadedToo)
{
    ASSERT_TRUE(page->IsWindow());
    EXPECT_EQ(Text(IDC_USB_VID), "1209");
    EXPECT_EQ(Text(IDC_USB_PID), "0001");
    EXPECT_EQ(Text(IDC_USB_MANUFACTURER), "Tovrik Audio");
    EXPECT_EQ(Text(IDC_USB_PRODUCT), "Tovrik USB Headset");
    EXPECT_EQ(Text(IDC_USB_SERIAL), "TK23-000001");
    EXPECT_EQ(Text(IDC_USB_UCQ), "TK23 UCQ");
    EXPECT_EQ(Text(IDC_USB_HID_INTERVAL), "4");
    for (int id : {IDC_USB_UCQ, IDC_USB_HID_INTERVAL}) {
        EXPECT_FALSE(Item(id).IsVisible()) << id;
        EXPECT_FALSE(Item(id).IsEnabled()) << id;
    }
    const std::vector<int> limits = {4, 4, 31, 31, 31, 31, 3};
    for (std::size_t i = 0; i < limits.size(); ++i) {
        EXPECT_EQ(Item(kFieldIds[i]).Limit(), limits[i]) << kFieldIds[i];
    }
    // Loading and storing unchanged fields keeps the hidden values in the image.
    page->StoreToImage();
    EXPECT_EQ(String(3), "TK23 UCQ");
    EXPECT_EQ(config.GetRegisterValue(158), 4);
}

TEST_F(UsbCfgPageTest, IdsAreStoredLittleEndianAndZeroRemovesThem)
{
    Type(IDC_USB_VID, "1a2b");
    Type(IDC_USB_PID, "12G4");
    page->StoreToImage();
    EXPECT_EQ(config.GetRegisterValue(0), 0x2B);
    EXPECT_EQ(config.GetRegisterValue(1), 0x1A);
    EXPECT_EQ(config.GetRegisterValue(2), 0x04);
    EXPECT_EQ(config.GetRegisterValue(3), 0x12);
    page->LoadFromImage();
    EXPECT_EQ(Text(IDC_USB_VID), "1A2B");
    EXPECT_EQ(Text(IDC_USB_PID), "1204");

    for (const char* zero : {"", "0", "0000", "zz"}) {
        Type(IDC_USB_VID, "FFFF");
        page->StoreToImage();
        ASSERT_EQ(config.IsRegisterPresent(1), 1);
        Type(IDC_USB_VID, zero);
        page->StoreToImage();
        for (std::uint8_t reg : {0, 1}) {
            EXPECT_EQ(config.IsRegisterPresent(reg), 0) << zero;
            EXPECT_EQ(config.GetRegisterValue(reg), 0) << zero;
        }
        page->LoadFromImage();
        EXPECT_EQ(Text(IDC_USB_VID), "") << zero;
    }
}

TEST_F(UsbCfgPageTest, OnlyTheLowRegisterDecidesWhetherAnIdIsLoaded)
{
    config.ClearRegister(3);
    config.SetRegisterValue(2, 0x7E);
    config.ClearRegister(0);
    config.SetRegisterValue(1, 0x55);
    page->LoadFromImage();
    EXPECT_EQ(Text(IDC_USB_PID), "007E");
    EXPECT_EQ(Text(IDC_USB_VID), "");
}

TEST_F(UsbCfgPageTest, IntervalOutsideAByteIsEmptiedWhenTheFocusLeaves)
{
    const struct {
        const char* typed;
        const char* after;
    } cases[] = {{"300", ""},    {"256", ""}, {"-1", ""},    {"ab", ""},
                 {"255", "255"}, {"0", "0"},  {"12x", "12x"}};
    for (const auto& c : cases) {
        Type(IDC_USB_HID_INTERVAL, c.typed);
        user_input::Leave(*page, Item(IDC_USB_HID_INTERVAL));
        EXPECT_EQ(Text(IDC_USB_HID_INTERVAL), c.after) << c.typed;
    }
    EXPECT_TRUE(prompter.Prompts().empty());

    Type(IDC_USB_HID_INTERVAL, "12x");
    page->StoreToImage();
    EXPECT_EQ(config.GetRegisterValue(158), 12);
    Type(IDC_USB_HID_INTERVAL, "");
    page->StoreToImage();
    EXPECT_EQ(config.IsRegisterPresent(158), 0);
}

TEST_F(UsbCfgPageTest, IntervalOutsideAByteIsNeverStoredCutToEightBits)
{
    Type(IDC_USB_HID_INTERVAL, "300");  // saved before the focus left the field
    page->StoreToImage();
    EXPECT_EQ(config.IsRegisterPresent(158), 0);
    EXPECT_EQ(Text(IDC_USB_HID_INTERVAL), "");
}

TEST_F(UsbCfgPageTest, RefusedTextStoresNothingOfThePage)
{
    Type(IDC_USB_VID, "4321");
    Item(IDC_USB_SERIAL).SetText(std::string(32, 'S'));  // past the limit without typing
    page->StoreToImage();
    EXPECT_EQ(prompter.Messages(), Messages{"Please enter no more than 31 characters."});
    EXPECT_EQ(config.GetRegisterValue(0), 0x09);
    EXPECT_EQ(String(2), "TK23-000001");
}

TEST_F(UsbCfgPageTest, PageNeverShownLeavesTheImageAndLoadsWhenCreated)
{
    CUsbCfgPage hiddenPage(app.Context());
    hiddenPage.LoadFromImage();
    config.SetRegisterValue(0, 0x34);
    config.SetString(1, "Changed");
    hiddenPage.StoreToImage();
    EXPECT_EQ(config.GetRegisterValue(0), 0x34);
    EXPECT_EQ(String(1), "Changed");

    hiddenPage.Create();
    EXPECT_EQ(hiddenPage.GetDlgItemText(IDC_USB_VID), "1234");
    EXPECT_EQ(hiddenPage.GetDlgItemText(IDC_USB_PRODUCT), "Changed");
}

}  // namespace
}  // namespace tovrik

namespace tovrik {
namespace {

TEST_F(UsbCfgPageTest, StringsAreLatin1CharactersCountedAsCharacters)
{
    // 31 characters of two UTF-8 bytes each fit; the limit never halves one.
    std::string accents;
    for (int i = 0; i < 32; ++i) {
        accents += "\xC3\xA9";  // é
    }
    Type(IDC_USB_PRODUCT, accents);
    EXPECT_EQ(Text(IDC_USB_PRODUCT).size(), 62u);
    // A character the chip cannot store is refused by name; the rest stays.
    Type(IDC_USB_MANUFACTURER, "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC 5");
    EXPECT_EQ(prompter.Messages(),
              Messages{"\"\xE2\x82\xAC\" (U+20AC) cannot be stored in a USB string: only "
                       "characters up to U+00FF can."});
    EXPECT_EQ(Text(IDC_USB_MANUFACTURER), "Gr\xC3\xBC\xC3\x9F  5");
    page->StoreToImage();
    EXPECT_EQ(String(0), "Gr\xFC\xDF  5");

    // Every byte 0x20..0xFF goes into the image as one byte and comes back as it was.
    std::string all;
    for (int b = 0x20; b <= 0xFF; ++b) {
        all += static_cast<char>(b);
    }
    for (std::size_t at = 0; at < all.size(); at += 31) {
        const std::string bytes = all.substr(at, 31);
        config.SetString(2, bytes);
        page->LoadFromImage();
        config.SetString(2, "");
        page->StoreToImage();
        ASSERT_EQ(String(2), bytes);
    }
}

}  // namespace
}  // namespace tovrik
