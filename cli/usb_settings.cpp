// SPDX-License-Identifier: MIT
#include "usb_settings.h"

#include <algorithm>
#include <array>

#include "app/demo_dlg.h"
#include "device_access.h"
#include "headless_tool.h"
#include "platform/latin1_text.h"
#include "resources/usb_volume_ids.h"

namespace tovrik::cli {

namespace {

constexpr std::size_t kMaxStringChars = 31;
constexpr int kMaxInterval = 255;

struct Key {
    const char* name;
    int controlId;
};

constexpr std::array<Key, 7> kKeys = {{
    {"vid", IDC_USB_VID},
    {"pid", IDC_USB_PID},
    {"manufacturer", IDC_USB_MANUFACTURER},
    {"product", IDC_USB_PRODUCT},
    {"serial", IDC_USB_SERIAL},
    {"ucq", IDC_USB_UCQ},
    {"interval", IDC_USB_HID_INTERVAL},
}};

const Key* FindKey(const std::string& name)
{
    for (const Key& key : kKeys) {
        if (name == key.name) {
            return &key;
        }
    }
    return nullptr;
}

void CheckValue(const std::string& key, const std::string& value)
{
    if (value.empty()) {
        return;
    }
    if (key == "vid" || key == "pid") {
        if (value.size() > 4 || !ParseHexId(value) ||
            value.find_first_of("xX") != std::string::npos) {
            throw UsageError{key + "=" + value + ": an id is 1 to 4 hexadecimal digits"};
        }
    } else if (key == "interval") {
        if (value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(value) > kMaxInterval) {
            throw UsageError{key + "=" + value +
                             ": the interval is a whole number of milliseconds from 0 to 255"};
        }
    } else {
        std::string bytes;
        std::string refused;
        if (!Utf8ToLatin1(value, bytes, refused)) {
            throw UsageError{key + "=" + value + ": " + refused +
                             " cannot be stored in a USB string: only characters up to U+00FF "
                             "can"};
        }
        if (Utf8Length(value) > kMaxStringChars) {
            throw UsageError{key + "=" + value +
                             ": a string holds at most 31 characters, this one " +
                             std::to_string(Utf8Length(value))};
        }
    }
}

}  // namespace

UsbAssignments ParseUsbAssignments(const std::vector<std::string>& arguments)
{
    UsbAssignments assignments;
    for (const std::string& argument : arguments) {
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos) {
            throw UsageError{argument + ": give KEY=VALUE"};
        }
        const std::string key = argument.substr(0, equals);
        const std::string value = argument.substr(equals + 1);
        if (FindKey(key) == nullptr) {
            throw UsageError{"unknown key " + key +
                             " (vid, pid, manufacturer, product, serial, ucq, interval)"};
        }
        CheckValue(key, value);
        assignments.emplace_back(key, value);
    }
    if (assignments.empty()) {
        throw UsageError{"give at least one KEY=VALUE"};
    }
    return assignments;
}

void ApplyUsbAssignments(HeadlessTool& tool, const UsbAssignments& assignments)
{
    CDemoDlg& window = tool.Window();
    CConfigPage* usbPage = window.ConfigPages().front();
    window.Sheet().SetActivePage(usbPage);
    for (const auto& [key, value] : assignments) {
        tool.TypeInto(*usbPage, FindKey(key)->controlId, value);
    }
}

std::vector<std::uint8_t> ImageWithUsbSettings(const std::vector<std::uint8_t>& image,
                                               const UsbAssignments& assignments)
{
    ToolOnImage loaded(image);
    HeadlessTool& tool = loaded.Tool();
    ApplyUsbAssignments(tool, assignments);
    if (!tool.Save()) {
        std::string messages;
        for (const std::string& message : tool.Messages()) {
            messages += "; " + message;
        }
        throw UsageError{"the image cannot hold these settings" + messages};
    }
    return loaded.CloseAndTakeImage();
}

}  // namespace tovrik::cli
