// SPDX-License-Identifier: MIT
#include "pages/config/usb_cfg_page_model.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "config/eeprom_config.h"
#include "formats/decimal_text.h"
#include "formats/hex_text.h"
#include "platform/dialog.h"
#include "platform/latin1_text.h"
#include "platform/prompter.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {

namespace {

constexpr const char* kAskReset = "All changes for USB Config before save will be discarded !!!";
// The chip stores one byte per character of a USB string.
constexpr const char* kMsgNotLatin1 =
    "%1 cannot be stored in a USB string: only characters up to U+00FF can.";

constexpr std::array<int, 4> kStringFields = {IDC_USB_MANUFACTURER, IDC_USB_PRODUCT, IDC_USB_SERIAL,
                                              IDC_USB_UCQ};

std::string NotLatin1Message(const std::string& refused)
{
    std::string text = kMsgNotLatin1;
    text.replace(text.find("%1"), 2, refused);
    return text;
}

constexpr int kIdChars = 4;
constexpr int kStringChars = 31;
constexpr int kIntervalChars = 3;

constexpr std::uint8_t kVidLow = 0;
constexpr std::uint8_t kVidHigh = 1;
constexpr std::uint8_t kPidLow = 2;
constexpr std::uint8_t kPidHigh = 3;
constexpr std::uint8_t kHidInterval = 158;

// The interval as a register value, or nothing when the text is no number from 0 to 255.
std::optional<std::uint8_t> IntervalValue(const std::string& text)
{
    const std::optional<int> value = ParseLeadingInteger(text);
    if (!value || *value < 0 || *value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*value);
}

void StoreId(EepromConfig& config, const std::string& text, std::uint8_t low, std::uint8_t high)
{
    const auto id = static_cast<std::uint16_t>(ParseHexText(text));
    if (id != 0) {
        config.SetRegisterValue(low, static_cast<std::uint8_t>(id & 0xFF));
        config.SetRegisterValue(high, static_cast<std::uint8_t>(id >> 8));
    } else {
        config.ClearRegister(low);
        config.ClearRegister(high);
    }
}

// Only the low register's presence counts; an absent high register reads as its stored value.
std::string LoadId(const EepromConfig& config, std::uint8_t low, std::uint8_t high)
{
    if (config.IsRegisterPresent(low) == 0) {
        return {};
    }
    const unsigned id =
        (unsigned{config.GetRegisterValue(high)} << 8) | config.GetRegisterValue(low);
    char text[8];
    std::snprintf(text, sizeof text, "%04X", id);
    return text;
}

}  // namespace

UsbCfgPageModel::UsbCfgPageModel(EepromConfig& config, Prompter& prompter)
    : config_(config), prompter_(prompter)
{
}

void UsbCfgPageModel::Create(const DeviceProfile* profile)
{
    controls_.Build(GetDialogTemplate(IDD_USB_CONFIG));
    created_ = true;
    LoadFromImage(profile);
}

void UsbCfgPageModel::Destroy()
{
    created_ = false;
    controls_.Clear();
}

bool UsbCfgPageModel::ExchangeFields(bool saving)
{
    DataExchange dx(controls_.All(), prompter_, saving);
    dx.Text(IDC_USB_VID, fields_.vid, kIdChars);
    dx.Text(IDC_USB_PID, fields_.pid, kIdChars);
    dx.Text(IDC_USB_MANUFACTURER, fields_.manufacturer, kStringChars);
    dx.Text(IDC_USB_PRODUCT, fields_.product, kStringChars);
    dx.Text(IDC_USB_SERIAL, fields_.serial, kStringChars);
    dx.Text(IDC_USB_UCQ, fields_.ucq, kStringChars);
    dx.Text(IDC_USB_HID_INTERVAL, fields_.hidInterval, kIntervalChars);
    return !dx.Failed();
}

bool UsbCfgPageModel::ReadBoundFields()
{
    return ExchangeFields(true);
}

void UsbCfgPageModel::ShowBoundFields()
{
    ExchangeFields(false);
}

void UsbCfgPageModel::OnCommand(int id, Notify code)
{
    if (!created_) {
        return;
    }
    if (id == IDC_PAGE_RESET && code == Notify::Clicked) {
        OnReset();
    } else if (id == IDC_USB_HID_INTERVAL && code == Notify::KillFocus) {
        CheckInterval();
    } else if (code == Notify::Changed &&
               std::find(kStringFields.begin(), kStringFields.end(), id) != kStringFields.end()) {
        RefuseNonLatin1(id);
    }
}

void UsbCfgPageModel::RefuseNonLatin1(int id)
{
    Control& field = Item(id);
    std::string bytes;
    std::string refused;
    if (Utf8ToLatin1(field.Text(), bytes, refused)) {
        return;
    }
    // The field keeps every character it can store, in order.
    std::string kept;
    const std::string& text = field.Text();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t next = at + Utf8Prefix(std::string_view(text).substr(at), 1).size();
        std::string ignored;
        if (Utf8ToLatin1(std::string_view(text).substr(at, next - at), bytes, ignored)) {
            kept += text.substr(at, next - at);
        }
        at = next;
    }
    field.SetText(kept);
    prompter_.MessageBox(NotLatin1Message(refused));
}

void UsbCfgPageModel::LoadFromImage(const DeviceProfile* /*profile*/)
{
    fields_ = UsbCfgPageFields{};
    fields_.vid = LoadId(config_, kVidLow, kVidHigh);
    fields_.pid = LoadId(config_, kPidLow, kPidHigh);
    if (config_.IsRegisterPresent(kHidInterval) != 0) {
        fields_.hidInterval = std::to_string(config_.GetRegisterValue(kHidInterval));
    }
    // The image holds Latin-1 bytes; the fields show them as text.
    const std::array<std::string*, 4> strings = {&fields_.manufacturer, &fields_.product,
                                                 &fields_.serial, &fields_.ucq};
    for (std::size_t i = 0; i < strings.size(); ++i) {
        std::string bytes;
        config_.GetString(static_cast<int>(i), bytes);
        *strings[i] = Latin1ToUtf8(bytes);
    }
    if (created_) {
        ShowBoundFields();
    }
}

bool UsbCfgPageModel::StoreToImage()
{
    if (!created_) {
        return true;
    }
    // A refused text has been reported; storing the rest would mix new and old fields.
    if (!ReadBoundFields()) {
        return false;
    }
    // An interval the focus check would empty is stored as absent, never cut to 8 bits.
    EmptyBadInterval();

    StoreId(config_, fields_.vid, kVidLow, kVidHigh);
    StoreId(config_, fields_.pid, kPidLow, kPidHigh);
    if (const auto interval = IntervalValue(fields_.hidInterval)) {
        config_.SetRegisterValue(kHidInterval, *interval);
    } else {
        config_.ClearRegister(kHidInterval);
    }
    // Typing refuses what cannot be stored; a text set another way is refused here, whole.
    const std::array<const std::string*, 4> texts = {&fields_.manufacturer, &fields_.product,
                                                     &fields_.serial, &fields_.ucq};
    std::array<std::string, 4> bytes;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string refused;
        if (!Utf8ToLatin1(*texts[i], bytes[i], refused)) {
            prompter_.MessageBox(NotLatin1Message(refused));
            return false;
        }
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        config_.SetString(static_cast<int>(i), bytes[i]);
    }
    return true;
}

void UsbCfgPageModel::OnReset()
{
    if (!prompter_.Question(kAskReset)) {
        return;
    }
    fields_ = UsbCfgPageFields{};
    if (created_) {
        ShowBoundFields();
    }
}

void UsbCfgPageModel::CheckInterval()
{
    if (ReadBoundFields()) {
        EmptyBadInterval();
    }
}

void UsbCfgPageModel::EmptyBadInterval()
{
    if (!fields_.hidInterval.empty() && !IntervalValue(fields_.hidInterval)) {
        fields_.hidInterval.clear();
        ShowBoundFields();
    }
}

}  // namespace tovrik
