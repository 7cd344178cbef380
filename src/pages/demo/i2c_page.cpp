// SPDX-License-Identifier: MIT
#include "pages/demo/i2c_page.h"

#include <array>
#include <climits>
#include <cstdio>
#include <vector>

#include "formats/decimal_text.h"
#include "pages/page_context.h"
#include "formats/hex_bytes.h"
#include "formats/hex_text.h"
#include "device/device_library.h"
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kMsgWriteTooLarge = "Fail to write I2C data, at most 512 bytes";
constexpr const char* kMsgReadTooLarge = "Fail to read I2C data, at most 341 bytes";

constexpr int kSlaveAddressLimit = 2;
constexpr int kDataAddressLimit = 4;

}  // namespace

CI2CPage::CI2CPage(PageContext& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_I2C)), app_(app) {}

int CI2CPage::OnInitDialog()
{
    UpdateData(false);
    return 1;
}

void CI2CPage::DoDataExchange(DataExchange& dx)
{
    dx.Text(IDC_I2C_SLAVE, slaveAddressText, kSlaveAddressLimit);
    dx.Text(IDC_I2C_SIZE, sizeText);
    dx.Text(IDC_I2C_DATA_ADDRESS, dataAddressText, kDataAddressLimit);
    dx.Text(IDC_I2C_DATA, dataText);
}

void CI2CPage::OnCommand(int id, Notify code)
{
    if (code != Notify::Clicked) {
        return;
    }
    switch (id) {
        case IDC_I2C_SET:
            OnSet();
            break;
        case IDC_I2C_READ:
            OnRead();
            break;
        case IDC_I2C_WRITE:
            OnWrite();
            break;
        default:
            break;
    }
}

void CI2CPage::OnSet()
{
    if (UpdateData(true) == 0) {
        return;
    }
    app_.Library().rmSetI2CDeviceAddress(static_cast<std::uint8_t>(ParseHexText(slaveAddressText)));
}

void CI2CPage::OnWrite()
{
    if (UpdateData(true) == 0) {
        return;
    }
    const int count = ParseLeadingInteger(sizeText).value_or(0);
    if (count < 1) {
        return;
    }
    const auto address = static_cast<std::uint16_t>(ParseHexText(dataAddressText));
    // Bytes past those typed go out as zeros.
    std::array<std::uint8_t, kWriteBufferSize> buffer{};
    const int parsed = ParseHexBytes(dataText, buffer);
    if (count > kWriteBufferSize || parsed > kWriteBufferSize) {
        GetPrompter().MessageBox(kMsgWriteTooLarge);
        return;
    }
    app_.Library().rmWriteDataIntoI2C(address, buffer.data(), count);
}

void CI2CPage::OnRead()
{
    if (UpdateData(true) == 0) {
        return;
    }
    dataText.clear();
    const int count = ParseLeadingInteger(sizeText).value_or(0);
    if (count > kReadLimit) {
        GetPrompter().MessageBox(kMsgReadTooLarge);
    } else if (count > 0) {
        const auto address = static_cast<std::uint16_t>(ParseHexText(dataAddressText));
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
        if (app_.Library().rmReadDataFromI2C(address, buffer.data(), count) != 0) {
            std::string text;
            text.reserve(buffer.size() * 3);
            for (const std::uint8_t byte : buffer) {
                char group[4];
                std::snprintf(group, sizeof group, " %02x", static_cast<unsigned>(byte));
                text += group;
            }
            dataText = std::move(text);
        }
    }
    UpdateData(false);
}

}  // namespace tovrik
