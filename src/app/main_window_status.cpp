// SPDX-License-Identifier: MIT
// The main window's device picker and status line: which chips are attached,
// which one is connected, what the last command did and how long it took.
#include <algorithm>
#include <cstdio>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "device/device_directory.h"
#include "formats/hex_text.h"
#include "platform/fitted_line.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kNoChip = "No chip connected";
// The status line names at most this many of the other interfaces found.
constexpr std::size_t kMaxNamedInterfaces = 4;

std::string Ids(std::uint16_t vendorId, std::uint16_t productId)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X:%04X", vendorId, productId);
    return text;
}

std::string Describe(const HidDeviceInfo& info)
{
    return Ids(info.vendorId, info.productId) + " " +
           (info.product.empty() ? std::string("(no product name)") : info.product);
}

bool SameListing(const std::vector<HidDeviceInfo>& a, const std::vector<HidDeviceInfo>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.path == y.path && x.vendorId == y.vendorId && x.productId == y.productId &&
               x.product == y.product;
    });
}

std::string Seconds(std::chrono::microseconds duration)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(duration.count()) / 1e6);
    return text;
}

// A message of several lines as one line of the status line.
std::string OneLine(std::string text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

void CDemoDlg::RefreshDeviceList()
{
    DeviceDirectory* directory = app_.Directory();
    Control* list = GetDlgItem(IDC_DEVICE_LIST);
    if (directory == nullptr || list == nullptr) {
        return;
    }
    std::vector<HidDeviceInfo> devices = directory->ListInterfaces();
    if (SameListing(devices, listedDevices_) &&
        list->GetCount() == static_cast<int>(devices.size())) {
        return;
    }
    list->ResetContent();
    int picked = -1;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const HidDeviceInfo& info = devices[i];
        std::string item = Describe(info);
        // Identical chips are told apart by their interface.
        const auto twins = std::count_if(devices.begin(), devices.end(), [&](const auto& other) {
            return other.vendorId == info.vendorId && other.productId == info.productId;
        });
        if (twins > 1) {
            item += " (" + info.path + ")";
        }
        list->AddString(item);
        if (!pickedPath_.empty() && info.path == pickedPath_) {
            picked = static_cast<int>(i);
        }
    }
    list->SetCurSel(picked);
    if (picked < 0) {
        pickedPath_.clear();
    }
    // What the list says while nothing is picked.
    list->SetText(devices.empty()
                      ? std::string("No HID device attached")
                      : std::to_string(devices.size()) + " attached; pick one to fill VID and PID");
    listedDevices_ = std::move(devices);
}

void CDemoDlg::OnDevicePicked()
{
    const int row = GetDlgItem(IDC_DEVICE_LIST)->GetCurSel();
    if (row < 0 || row >= static_cast<int>(listedDevices_.size())) {
        pickedPath_.clear();
        return;
    }
    const HidDeviceInfo& info = listedDevices_[static_cast<std::size_t>(row)];
    pickedPath_ = info.path;
    char text[8];
    std::snprintf(text, sizeof text, "%04X", info.vendorId);
    SetDlgItemText(IDC_VID, text);
    std::snprintf(text, sizeof text, "%04X", info.productId);
    SetDlgItemText(IDC_PID, text);
}

std::string CDemoDlg::PickedInterface(std::uint16_t vendorId, std::uint16_t productId) const
{
    for (const HidDeviceInfo& info : listedDevices_) {
        if (info.path == pickedPath_ && info.vendorId == vendorId && info.productId == productId) {
            return pickedPath_;
        }
    }
    return {};
}

void CDemoDlg::ShowChipStatus()
{
    const DeviceProfile* profile = app_.CurrentDeviceProfile();
    if (profile == nullptr) {
        SetDlgItemText(IDC_STATUS_CHIP, kNoChip);
        return;
    }
    const EepromConfig& config = app_.Config();
    std::string text = "Connected: " + Ids(static_cast<std::uint16_t>(ParseHexText(vendorIdText)),
                                           static_cast<std::uint16_t>(ParseHexText(productIdText)));
    text += ", device code " + std::to_string(profile->code) + " (" + profile->typeName +
            (profile->hasEq != 0 ? ", with EQ" : ", no EQ") + ")";
    const int size = config.DetectedEepromSize();
    text += size > 0 ? ", EEPROM " + std::to_string(size) + " bytes" : ", EEPROM size unknown";
    if (app_.Directory() != nullptr && app_.Directory()->IsSimulated()) {
        text += ", simulated chip";
    }
    if (!journalNotice_.empty()) {
        text += ". " + journalNotice_;
    }
    SetDlgItemText(IDC_STATUS_CHIP, text);
}

void CDemoDlg::ShowWhyNotFound(std::uint16_t vendorId, std::uint16_t productId)
{
    const std::string ids = Ids(vendorId, productId);
    DeviceDirectory* directory = app_.Directory();
    if (directory == nullptr) {
        SetDlgItemText(IDC_STATUS_CHIP, "No chip answers to " + ids);
        return;
    }
    if (app_.Config().GetDeviceCode() >= 32) {
        SetDlgItemText(IDC_STATUS_CHIP, "The chip " + ids + " reports device code " +
                                            std::to_string(app_.Config().GetDeviceCode()) +
                                            ", which is not a known kind of device");
        return;
    }
    const std::vector<HidDeviceInfo> devices = directory->ListInterfaces();
    std::vector<std::string> others;
    for (const HidDeviceInfo& info : devices) {
        if (info.vendorId == vendorId && info.productId == productId) {
            if (std::string reason = directory->OpenFailureReason(info.path); !reason.empty()) {
                SetDlgItemText(IDC_STATUS_CHIP, OneLine(reason));
                return;
            }
            continue;
        }
        others.push_back(Describe(info));
    }
    std::string text = "No chip answers to " + ids;
    if (others.empty()) {
        text += "; no HID device is attached";
    } else {
        text += "; attached:";
        for (std::size_t i = 0; i < others.size() && i < kMaxNamedInterfaces; ++i) {
            text += (i == 0 ? " " : ", ") + others[i];
        }
        if (others.size() > kMaxNamedInterfaces) {
            text += " and " + std::to_string(others.size() - kMaxNamedInterfaces) + " more";
        }
    }
    SetDlgItemText(IDC_STATUS_CHIP, text);
}

void CDemoDlg::ShowLastBackup()
{
    const PageContext& context = app_.Context();
    std::string text;
    if (!context.LastBackupPath().empty()) {
        text = "Backup of the EEPROM before the last write: " +
               WithSystemSeparators(context.LastBackupPath());
    } else if (!context.LastBackupError().empty()) {
        text = "No backup was kept before the last write: " + context.LastBackupError();
    }
    SetDlgItemText(IDC_STATUS_BACKUP, text);
}

void CDemoDlg::RunTimed(const std::string& name, const std::function<Outcome()>& command)
{
    if (operationObserver_) {
        operationObserver_(name, true);
    }
    const auto start = app_.Now();
    app_.Context().SetCommandName(name);
    const Outcome outcome = command();
    app_.Context().EndWriteAction();
    app_.Context().SetCommandName({});
    const auto duration = app_.Now() - start;
    // The window may be gone: closing it from a prompt ends every command.
    if (IsWindow()) {
        switch (outcome) {
            case Outcome::Done:
                SetDlgItemText(IDC_STATUS_OPERATION, name + ": done in " + Seconds(duration));
                break;
            case Outcome::Failed:
                SetDlgItemText(IDC_STATUS_OPERATION, name + ": failed after " + Seconds(duration));
                break;
            case Outcome::Cancelled:
                SetDlgItemText(IDC_STATUS_OPERATION, name + ": cancelled");
                break;
        }
        ShowLastBackup();
    }
    if (operationObserver_) {
        operationObserver_(name, false);
    }
}

}  // namespace tovrik
