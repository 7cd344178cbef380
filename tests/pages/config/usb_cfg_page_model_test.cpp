// SPDX-License-Identifier: MIT
// The USB page's behaviour without a window: the image in its fields, the
// refusals of what a USB string or a field cannot hold, the interval check
// and the reset.
#include "pages/config/usb_cfg_page_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/eeprom_config.h"
#include "platform/recording_prompter.h"
#include "resources/usb_volume_ids.h"
#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

using Messages = std::vector<std::string>;

class UsbCfgPageModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetRegisterValue(0, 0x09);
        config.SetRegisterValue(1, 0x12);
        config.SetRegisterValue(2, 0x01);
        config.SetRegisterValue(3, 0x00);
        config.SetRegisterValue(158, 4);
        config.SetString(0, "Maker");
        config.SetString(1, "Caf\xE9");
        model.Create(nullptr);
    }

    Control& C(int id) { return model.Item(id); }
    // As an edit does: the typed text within the limit, then the notification.
    void Type(int id, const std::string& text)
    {
        C(id).TypeText(text);
        model.OnCommand(id, Notify::Changed);
    }
    std::string String(int index)
    {
        std::string text;
        config.GetString(index, text);
        return text;
    }

    MemoryEepromLibrary library;
    RecordingPrompter prompter;
    EepromConfig config{library, prompter};
    UsbCfgPageModel model{config, prompter};
};

TEST_F(UsbCfgPageModelTest, ShowsTheImageAndStoresIdsLowByteFirst)
{
    EXPECT_EQ(C(IDC_USB_VID).Text(), "1209");
    EXPECT_EQ(C(IDC_USB_PID).Text(), "0001");
    EXPECT_EQ(C(IDC_USB_PRODUCT).Text(), "Caf\xC3\xA9");
    EXPECT_EQ(C(IDC_USB_HID_INTERVAL).Text(), "4");
    Type(IDC_USB_VID, "beef");
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(config.GetRegisterValue(0), 0xEF);
    EXPECT_EQ(config.GetRegisterValue(1), 0xBE);
    EXPECT_EQ(String(1), "Caf\xE9");
    EXPECT_TRUE(prompter.Prompts().empty());
}

TEST_F(UsbCfgPageModelTest, AStringOverItsLimitIsRefusedAndNothingIsStored)
{
    Type(IDC_USB_VID, "4321");
    C(IDC_USB_SERIAL).SetText(std::string(32, 'S'));  // set past the limit, not typed
    EXPECT_FALSE(model.StoreToImage());
    EXPECT_EQ(prompter.Messages(), Messages{"Please enter no more than 31 characters."});
    EXPECT_EQ(config.GetRegisterValue(0), 0x09);

    C(IDC_USB_SERIAL).SetText(std::string(31, 'S'));
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(String(2), std::string(31, 'S'));
    EXPECT_EQ(config.GetRegisterValue(0), 0x21);
}

TEST_F(UsbCfgPageModelTest, CharactersAboveLatin1AreCutWhenTypedAndRefusedWholeAtStore)
{
    Type(IDC_USB_MANUFACTURER, "A\xE2\x82\xAC\xC3\xBC");  // A, euro sign, u umlaut
    EXPECT_EQ(C(IDC_USB_MANUFACTURER).Text(), "A\xC3\xBC");
    EXPECT_EQ(prompter.Messages(),
              Messages{"\"\xE2\x82\xAC\" (U+20AC) cannot be stored in a USB string: only "
                       "characters up to U+00FF can."});
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(String(0), "A\xFC");
    // A character of two bytes beyond U+00FF, L with stroke, is no Latin-1 one either.
    Type(IDC_USB_MANUFACTURER, "B\xC5\x81");
    EXPECT_EQ(C(IDC_USB_MANUFACTURER).Text(), "B");
    EXPECT_EQ(prompter.Messages().back(),
              "\"\xC5\x81\" (U+0141) cannot be stored in a USB string: only characters up to "
              "U+00FF can.");
    prompter.Clear();

    // Set without typing: the store stops before the strings, after the ids.
    Type(IDC_USB_VID, "ABCD");
    C(IDC_USB_PRODUCT).SetText("\xE2\x82\xAC");
    EXPECT_FALSE(model.StoreToImage());
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(config.GetRegisterValue(0), 0xCD);
    EXPECT_EQ(String(1), "Caf\xE9");
    C(IDC_USB_PRODUCT).SetText("\xC5\x81");
    EXPECT_FALSE(model.StoreToImage());
    EXPECT_EQ(String(1), "Caf\xE9");
}

TEST_F(UsbCfgPageModelTest, AnIntervalOutsideAByteIsEmptiedWhenLeftAndWhenStored)
{
    for (const char* typed : {"256", "-1"}) {
        Type(IDC_USB_HID_INTERVAL, typed);
        model.OnCommand(IDC_USB_HID_INTERVAL, Notify::KillFocus);
        EXPECT_EQ(C(IDC_USB_HID_INTERVAL).Text(), "") << typed;
    }
    Type(IDC_USB_HID_INTERVAL, "255");
    model.OnCommand(IDC_USB_HID_INTERVAL, Notify::KillFocus);
    EXPECT_EQ(C(IDC_USB_HID_INTERVAL).Text(), "255");
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(config.GetRegisterValue(158), 255);

    Type(IDC_USB_HID_INTERVAL, "300");  // stored before the focus left the field
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(config.IsRegisterPresent(158), 0);
    EXPECT_EQ(C(IDC_USB_HID_INTERVAL).Text(), "");
    EXPECT_TRUE(prompter.Prompts().empty());
}

TEST_F(UsbCfgPageModelTest, ResetAsksThenEmptiesTheFieldsAndTheImageFollowsAtTheStore)
{
    model.OnCommand(IDC_PAGE_RESET, Notify::KillFocus);  // only a click resets
    EXPECT_TRUE(prompter.Prompts().empty());
    prompter.QueueAnswer(false);
    model.OnCommand(IDC_PAGE_RESET, Notify::Clicked);
    EXPECT_EQ(C(IDC_USB_VID).Text(), "1209");

    prompter.QueueAnswer(true);
    model.OnCommand(IDC_PAGE_RESET, Notify::Clicked);
    EXPECT_EQ(prompter.Prompts().back().text,
              "All changes for USB Config before save will be discarded !!!");
    for (int id : {IDC_USB_VID, IDC_USB_PID, IDC_USB_PRODUCT, IDC_USB_HID_INTERVAL}) {
        EXPECT_EQ(C(id).Text(), "") << id;
    }
    EXPECT_EQ(config.IsRegisterPresent(0), 1);
    EXPECT_TRUE(model.StoreToImage());
    for (std::uint8_t reg : {0, 1, 2, 3, 158}) {
        EXPECT_EQ(config.IsRegisterPresent(reg), 0) << int{reg};
    }
    EXPECT_EQ(String(1), "");
}

TEST_F(UsbCfgPageModelTest, WithoutControlsNothingIsStoredAndTheNextCreateShowsTheImage)
{
    model.Destroy();
    EXPECT_TRUE(model.Controls().empty());
    config.SetRegisterValue(0, 0x34);
    model.LoadFromImage(nullptr);
    config.SetString(1, "Changed");
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(config.GetRegisterValue(0), 0x34);
    EXPECT_EQ(String(1), "Changed");
    model.Create(nullptr);
    EXPECT_EQ(C(IDC_USB_VID).Text(), "1234");
    EXPECT_EQ(C(IDC_USB_PRODUCT).Text(), "Changed");
}

}  // namespace
}  // namespace tovrik
