// SPDX-License-Identifier: MIT
#include "remembered_ids.h"

#include <QSettings>

#include "app/demo_dlg.h"
#include "resources/resource_ids.h"

namespace tovrik::gui {

namespace {

constexpr const char* kVendorKey = "connection/vendorId";
constexpr const char* kProductKey = "connection/productId";
// The id fields take four hexadecimal digits.
constexpr int kIdDigits = 4;

bool IsIdText(const QString& text)
{
    if (text.isEmpty() || text.size() > kIdDigits) {
        return false;
    }
    bool ok = false;
    text.toUInt(&ok, 16);
    return ok;
}

}  // namespace

void RestoreIds(CDemoDlg& dialog, QSettings& settings)
{
    const QString vendor = settings.value(kVendorKey).toString();
    const QString product = settings.value(kProductKey).toString();
    // A settings file edited by hand is not trusted further than the fields would be.
    if (!IsIdText(vendor) || !IsIdText(product)) {
        return;
    }
    if (dialog.GetDlgItemText(IDC_VID).empty() && dialog.GetDlgItemText(IDC_PID).empty()) {
        dialog.SetDlgItemText(IDC_VID, vendor.toStdString());
        dialog.SetDlgItemText(IDC_PID, product.toStdString());
    }
}

void RememberIds(CDemoDlg& dialog, QSettings& settings)
{
    settings.setValue(kVendorKey, QString::fromStdString(dialog.GetDlgItemText(IDC_VID)));
    settings.setValue(kProductKey, QString::fromStdString(dialog.GetDlgItemText(IDC_PID)));
    settings.sync();
}

}  // namespace tovrik::gui
