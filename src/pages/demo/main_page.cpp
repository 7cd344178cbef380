// SPDX-License-Identifier: MIT
#include "pages/demo/main_page.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "pages/page_context.h"
#include "formats/hex_text.h"
#include "device/device_library.h"
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kDeviceAdded = "Device Added";
constexpr const char* kDeviceRemoved = "Device Remove";
constexpr const char* kKeyShortDownFormat = "KeyShortDownMsg %x %x\n";
constexpr const char* kKeyLongDownFormat = "KeyLongDownMsg %x %x\n";
constexpr const char* kMixerKeyDownFormat = "MixerKeyDownMsg %x %x\n";
constexpr const char* kMixerKeyUpFormat = "MixerKeyUpMsg %x %x\n";
constexpr const char* kEventsDroppedFormat = "%u device events dropped: the window fell behind";
constexpr const char* kGpiFormat = "GPIGeneric Event:  %02x %02x %02x %02x";
constexpr const char* kGenericFormat =
    "GENERIC Event:  %02x %02x %02x %02x      %02x %02x %02x %02x";
constexpr const char* kI2cFormat =
    "I2CGenericNotifyMsg:  %02x %02x %02x %02x      %02x %02x %02x %02x";

constexpr int kKeypadInLimit = 4;
// Every event text fits in this many characters.
constexpr std::size_t kMaxEventText = 255;

// The message parameters as the 32-bit numbers the notifications carry.
unsigned Low32(WPARAM value)
{
    return static_cast<std::uint32_t>(value);
}

unsigned Low32(LPARAM value)
{
    return static_cast<std::uint32_t>(static_cast<std::uintptr_t>(value));
}

unsigned Byte(unsigned value, int index)
{
    return (value >> (8 * index)) & 0xFF;
}

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...)
{
    char text[kMaxEventText + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string FormatKey(const char* format, WPARAM wParam, LPARAM lParam)
{
    return Format(format, Low32(wParam), Low32(lParam));
}

std::string FormatEightBytes(const char* format, WPARAM wParam, LPARAM lParam)
{
    const unsigned w = Low32(wParam);
    const unsigned l = Low32(lParam);
    return Format(format, Byte(w, 0), Byte(w, 1), Byte(w, 2), Byte(w, 3), Byte(l, 0), Byte(l, 1),
                  Byte(l, 2), Byte(l, 3));
}

}  // namespace

CMainPage::CMainPage(PageContext& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_GPIO)), app_(app)
{
}

int CMainPage::OnInitDialog()
{
    UpdateData(false);
    app_.Library().rmSetMixerKeyNotifyMessages(MixerKeyDownMessage, MixerKeyUpMessage);
    app_.Library().rmSetGPIGenericNotifyMessages(GPIGenericNotifyMessage);
    return 1;
}

void CMainPage::DoDataExchange(DataExchange& dx)
{
    dx.Text(IDC_KEYPAD_OUT, keypadOutText);
    dx.Text(IDC_KEYPAD_IN, keypadInText, kKeypadInLimit);
    dx.Text(IDC_GPO_DIRECTION, gpoDirectionText);
    dx.Text(IDC_GPO_LEVEL, gpoLevelText);
    dx.Check(IDC_WATCH_GENERIC, watchGeneric);
    dx.Check(IDC_WATCH_I2C, watchI2c);
}

void CMainPage::OnCommand(int id, Notify code)
{
    if (code != Notify::Clicked) {
        return;
    }
    switch (id) {
        case IDC_GPO_SET:
            OnSetGpo();
            break;
        case IDC_EVENT_CLEAR:
            if (Control* list = GetDlgItem(IDC_EVENT_LIST)) {
                list->ResetContent();
            }
            break;
        case IDC_WATCH_GENERIC:
        case IDC_WATCH_I2C:
            UpdateData(true);
            break;
        default:
            break;
    }
}

void CMainPage::OnSetGpo()
{
    if (UpdateData(true) == 0) {
        return;
    }
    const auto direction = static_cast<std::uint16_t>(ParseHexText(gpoDirectionText));
    const auto level = static_cast<std::uint16_t>(ParseHexText(gpoLevelText));
    app_.Library().rmSetPin2GPO(direction);
    app_.Library().rmSetPinGPOLevel(level);
}

void CMainPage::AddEvent(const std::string& text)
{
    Control* list = GetDlgItem(IDC_EVENT_LIST);
    if (list == nullptr) {
        return;
    }
    list->InsertString(0, text);
    while (list->GetCount() > kMaxEvents) {
        list->DeleteString(list->GetCount() - 1);
    }
}

void CMainPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_DEVICECHANGE:
            app_.Library().rmHandleDeviceChangeNotification(wParam, lParam);
            break;
        case DeviceAddedMessage:
            AddEvent(kDeviceAdded);
            break;
        case DeviceRemovedMessage:
            AddEvent(kDeviceRemoved);
            break;
        case KeyShortDownMessage:
            AddEvent(FormatKey(kKeyShortDownFormat, wParam, lParam));
            break;
        case KeyLongDownMessage:
            AddEvent(FormatKey(kKeyLongDownFormat, wParam, lParam));
            break;
        case GPIGenericNotifyMessage: {
            const unsigned w = Low32(wParam);
            AddEvent(Format(kGpiFormat, Byte(w, 0), Byte(w, 1), Byte(w, 2), Byte(w, 3)));
            break;
        }
        case MixerKeyDownMessage:
            AddEvent(FormatKey(kMixerKeyDownFormat, wParam, lParam));
            break;
        case MixerKeyUpMessage:
            AddEvent(FormatKey(kMixerKeyUpFormat, wParam, lParam));
            break;
        case GenericNotifyMessage:
            if (watchGeneric == 1) {
                AddEvent(FormatEightBytes(kGenericFormat, wParam, lParam));
            }
            // The HID control page lists every generic event itself.
            if (PropertyPage* receiver = app_.GenericEventReceiver()) {
                receiver->PostMessage(GenericNotifyMessage, wParam, lParam);
            }
            break;
        case EventsDroppedMessage:
            AddEvent(Format(kEventsDroppedFormat, Low32(wParam)));
            break;
        case I2CGenericNotifyMessage:
            if (watchI2c == 1) {
                AddEvent(FormatEightBytes(kI2cFormat, wParam, lParam));
            }
            break;
        default:
            break;
    }
    PropertyPage::OnMessage(message, wParam, lParam);
}

}  // namespace tovrik
