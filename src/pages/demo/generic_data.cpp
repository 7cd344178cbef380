// SPDX-License-Identifier: MIT
#include "pages/demo/generic_data.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "pages/page_context.h"
#include "formats/hex_bytes.h"
#include "formats/hex_text.h"
#include "config/eeprom_config.h"
#include "device/device_library.h"
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kMsgExceeded17 = "input exceeded 17 bytes";
constexpr const char* kMsgExceeded255 = "input exceeded 255 bytes";
constexpr const char* kGenericFormat =
    "GENERIC Event:  %02x %02x %02x %02x      %02x %02x %02x %02x";

constexpr int kOutputReportLimit = 255;
constexpr int kRegisterTextLimit = 2;
constexpr int kRegisterCount = 256;

// The hidden "Read": the first register goes to 0xFF, then 0x01 to 0x96 asks
// the chip to report the registers from there as a generic event.
constexpr std::uint8_t kReadStartRegister = 0xFF;
constexpr std::uint8_t kReadTriggerRegister = 0x96;
constexpr std::uint8_t kReadTriggerValue = 0x01;

unsigned Byte(std::uint32_t value, int index)
{
    return (value >> (8 * index)) & 0xFF;
}

}  // namespace

std::uint32_t ScanHexNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i) {
        value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(text[i]));
    }
    return value;
}

CGenericData::CGenericData(PageContext& app)
    : PropertyPage(app.Ui(), GetDialogTemplate(IDD_HID_CONTROL)), app_(app)
{
}

int CGenericData::OnInitDialog()
{
    UpdateData(false);
    return 1;
}

void CGenericData::DoDataExchange(DataExchange& dx)
{
    dx.Text(IDC_HID_OUTPUT, outputReportText, kOutputReportLimit);
    dx.Text(IDC_HID_REG_ADDRESS, registerAddressText, kRegisterTextLimit);
    dx.Text(IDC_HID_REG_LENGTH, registerLengthText, kRegisterTextLimit);
    dx.Text(IDC_HID_REG_DATA, registerDataText);
}

void CGenericData::OnSetActive()
{
    app_.Library().rmSetGenericNotifyMessages(GenericNotifyMessage);
    PropertyPage::OnSetActive();
}

void CGenericData::OnCommand(int id, Notify code)
{
    if (id == IDC_HID_OUTPUT && code == Notify::Changed) {
        OnOutputReportChanged();
        return;
    }
    if (code != Notify::Clicked) {
        return;
    }
    switch (id) {
        case IDC_HID_SEND:
            OnSend();
            break;
        case IDC_HID_CLEAR:
            if (Control* list = GetDlgItem(IDC_HID_INPUT_LIST)) {
                list->ResetContent();
            }
            break;
        case IDC_HID_REG_WRITE:
            OnWriteRegisters();
            break;
        case IDC_HID_REG_READ:
            OnReadRegisters();
            break;
        default:
            break;
    }
}

void CGenericData::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == GenericNotifyMessage) {
        Control* list = GetDlgItem(IDC_HID_INPUT_LIST);
        if (list != nullptr) {
            const auto w = static_cast<std::uint32_t>(wParam);
            const auto l = static_cast<std::uint32_t>(static_cast<std::uintptr_t>(lParam));
            char line[96];
            std::snprintf(line, sizeof line, kGenericFormat, Byte(w, 0), Byte(w, 1), Byte(w, 2),
                          Byte(w, 3), Byte(l, 0), Byte(l, 1), Byte(l, 2), Byte(l, 3));
            list->AddString(line);
            while (list->GetCount() > kMaxInputLines) {
                list->DeleteString(0);
            }
            list->SetCurSel(list->GetCount() - 1);
        }
    }
    PropertyPage::OnMessage(message, wParam, lParam);
}

void CGenericData::OnOutputReportChanged()
{
    if (UpdateData(true) == 0) {
        return;
    }
    std::array<std::uint8_t, kMaxReportBytes> report{};
    if (ParseHexBytes(outputReportText, report) > kWarnReportBytes) {
        GetPrompter().MessageBox(kMsgExceeded17);
    }
}

void CGenericData::OnSend()
{
    if (UpdateData(true) == 0) {
        return;
    }
    std::array<std::uint8_t, kMaxReportBytes> report{};
    const int count = ParseHexBytes(outputReportText, report);
    if (count > kMaxReportBytes) {
        GetPrompter().MessageBox(kMsgExceeded255);
        return;
    }
    if (count != 0) {
        app_.Library().rmSetReport(report.data(), count);
    }
}

void CGenericData::OnWriteRegisters()
{
    if (UpdateData(true) == 0) {
        return;
    }
    const std::uint32_t first = ScanHexNumber(registerAddressText);
    const std::uint32_t length = ScanHexNumber(registerLengthText);
    // No run is longer than the register file, so the rest of the values is never used.
    std::array<std::uint8_t, kRegisterCount> values{};
    const int parsed = std::min(ParseHexBytes(registerDataText, values), kRegisterCount);
    const std::uint32_t count = std::min(length, static_cast<std::uint32_t>(parsed));
    for (std::uint32_t i = 0; i < count; ++i) {
        app_.Config().WriteRegisterReport(static_cast<std::uint8_t>((first + i) & 0xFF), values[i]);
    }
}

void CGenericData::OnReadRegisters()
{
    if (UpdateData(true) == 0) {
        return;
    }
    const std::uint32_t first = ScanHexNumber(registerAddressText);
    const std::uint32_t length = ScanHexNumber(registerLengthText);
    if (length != 0) {
        app_.Config().WriteRegisterReport(kReadStartRegister, static_cast<std::uint8_t>(first));
        app_.Config().WriteRegisterReport(kReadTriggerRegister, kReadTriggerValue);
    }
}

}  // namespace tovrik
