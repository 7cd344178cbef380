// SPDX-License-Identifier: MIT
#pragma once

namespace tovrik {

// The views the main window opens beside itself: the chip's backups and the
// log of the window's commands.
constexpr int IDD_BACKUPS = 160;
constexpr int IDD_LOG = 161;

// The main window's buttons that open them.
constexpr int IDC_BACKUPS = 1210;
constexpr int IDC_LOG = 1211;

// The entry of the main window's chip list that opens an image file as a chip.
inline constexpr const char* kImageFileEntry = "Image file...";

// Controls of the Backups view.
constexpr int IDC_BACKUPS_FOLDER = 1301;
constexpr int IDC_BACKUPS_LIST = 1302;
constexpr int IDC_BACKUPS_COMPARE = 1303;
constexpr int IDC_BACKUPS_RESTORE = 1304;
constexpr int IDC_BACKUPS_OPEN_FOLDER = 1305;
constexpr int IDC_BACKUPS_CLOSE = 1306;
constexpr int IDC_BACKUPS_COMPARED = 1307;
constexpr int IDC_BACKUPS_DIFFERENCES = 1308;

// Controls of the Log view.
constexpr int IDC_LOG_NOTE = 1321;
constexpr int IDC_LOG_TEXT = 1322;
constexpr int IDC_LOG_CLOSE = 1323;

}  // namespace tovrik
