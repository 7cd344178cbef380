// SPDX-License-Identifier: MIT
#include "pages/config/usb_cfg_page.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "formats/decimal_text.h"
#include "pages/page_context.h"
#include "formats/hex_text.h"
#include "config/eeprom_config.h"
#include "platform/control.h"
#include "platform/latin1_text.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {

namespace {

constexpr const char* kAskReset = "All changes for USB Config before save will be discarded !!!";
// The chip stores one byte per character of a USB string.
constexpr const char* kMsgNotLatin1 =
    "%1 cannot be stored in a USB string: only characters up to U+00FF can.";

constexpr std::array<int, 4> kStringFields = {IDC_USB_MANUFACTURER, IDC_USB_PRODUCT,
                                               IDC_USB_SERIAL, IDC_USB_UCQ};

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

CUsbCfgPage::CUsbCfgPage(PageContext& app) : CConfigPage(app, GetDialogTemplate(IDD_USB_CONFIG)) {}

int CUsbCfgPage::OnInitDialog()
{
    LoadFromImage();
    return 1;
}

void CUsbCfgPage::DoDataExchange(DataExchange& dx)
{
    dx.Text(IDC_USB_VID, vidText, kIdChars);
    dx.Text(IDC_USB_PID, pidText, kIdChars);
    dx.Text(IDC_USB_MANUFACTURER, manufacturerText, kStringChars);
    dx.Text(IDC_USB_PRODUCT, productText, kStringChars);
    dx.Text(IDC_USB_SERIAL, serialText, kStringChars);
    dx.Text(IDC_USB_UCQ, ucqText, kStringChars);
    dx.Text(IDC_USB_HID_INTERVAL, hidIntervalText, kIntervalChars);
}

void CUsbCfgPage::OnCommand(int id, Notify code)
{
    if (id == IDC_PAGE_RESET && code == Notify::Clicked) {
        OnReset();
    } else if (id == IDC_USB_HID_INTERVAL && code == Notify::KillFocus) {
        CheckInterval();
    } else if (code == Notify::Changed &&
               std::find(kStringFields.begin(), kStringFields.end(), id) != kStringFields.end()) {
        RefuseNonLatin1(id);
    }
}

void CUsbCfgPage::RefuseNonLatin1(int id)
{
    Control* field = GetDlgItem(id);
    if (field == nullptr) {
        return;
    }
    std::string bytes;
    std::string refused;
    if (Utf8ToLatin1(field->Text(), bytes, refused)) {
        return;
    }
    // The field keeps every character it can store, in order.
    std::string kept;
    const std::string& text = field->Text();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t next = at + Utf8Prefix(std::string_view(text).substr(at), 1).size();
        std::string ignored;
        if (Utf8ToLatin1(std::string_view(text).substr(at, next - at), bytes, ignored)) {
            kept += text.substr(at, next - at);
        }
        at = next;
    }
    field->SetText(kept);
    GetPrompter().MessageBox(NotLatin1Message(refused));
}

void CUsbCfgPage::ClearFields()
{
    vidText.clear();
    pidText.clear();
    manufacturerText.clear();
    productText.clear();
    serialText.clear();
    ucqText.clear();
    hidIntervalText.clear();
}

void CUsbCfgPage::LoadFromImage()
{
    ClearFields();
    const EepromConfig& config = App().Config();
    vidText = LoadId(config, kVidLow, kVidHigh);
    pidText = LoadId(config, kPidLow, kPidHigh);
    if (config.IsRegisterPresent(kHidInterval) != 0) {
        hidIntervalText = std::to_string(config.GetRegisterValue(kHidInterval));
    }
    // The image holds Latin-1 bytes; the fields show them as text.
    std::array<std::string*, 4> fields = {&manufacturerText, &productText, &serialText, &ucqText};
    for (int i = 0; i < 4; ++i) {
        std::string bytes;
        config.GetString(i, bytes);
        *fields[static_cast<std::size_t>(i)] = Latin1ToUtf8(bytes);
    }
    if (IsWindow()) {
        UpdateData(false);
    }
}

void CUsbCfgPage::StoreToImage()
{
    if (!IsWindow()) {
        return;
    }
    // A refused text has been reported; storing the rest would mix new and old fields.
    if (UpdateData(true) == 0) {
        return;
    }
    // An interval the focus check would empty is stored as absent, never cut to 8 bits.
    EmptyBadInterval();

    EepromConfig& config = App().Config();
    StoreId(config, vidText, kVidLow, kVidHigh);
    StoreId(config, pidText, kPidLow, kPidHigh);
    if (const auto interval = IntervalValue(hidIntervalText)) {
        config.SetRegisterValue(kHidInterval, *interval);
    } else {
        config.ClearRegister(kHidInterval);
    }
    // Typing refuses what cannot be stored; a text set another way is refused here, whole.
    const std::array<const std::string*, 4> texts = {&manufacturerText, &productText, &serialText,
                                                     &ucqText};
    std::array<std::string, 4> bytes;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string refused;
        if (!Utf8ToLatin1(*texts[i], bytes[i], refused)) {
            GetPrompter().MessageBox(NotLatin1Message(refused));
            return;
        }
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        config.SetString(static_cast<int>(i), bytes[i]);
    }
}

void CUsbCfgPage::OnReset()
{
    if (!GetPrompter().Question(kAskReset)) {
        return;
    }
    ClearFields();
    UpdateData(false);
}

void CUsbCfgPage::CheckInterval()
{
    if (UpdateData(true) != 0) {
        EmptyBadInterval();
    }
}

void CUsbCfgPage::EmptyBadInterval()
{
    if (!hidIntervalText.empty() && !IntervalValue(hidIntervalText)) {
        hidIntervalText.clear();
        UpdateData(false);
    }
}

}  // namespace tovrik
