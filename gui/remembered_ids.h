// SPDX-License-Identifier: MIT
#pragma once

class QSettings;

namespace tovrik {
class CDemoDlg;
}

namespace tovrik::gui {

// The vendor and product id of the last connection, kept between runs.
// RestoreIds fills the main window's empty id fields with them; RememberIds
// keeps what the fields hold now.
void RestoreIds(CDemoDlg& dialog, QSettings& settings);
void RememberIds(CDemoDlg& dialog, QSettings& settings);

}  // namespace tovrik::gui
