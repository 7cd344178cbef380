// SPDX-License-Identifier: MIT
#pragma once

namespace tovrik {

// Icons.
constexpr int IDR_MAINFRAME = 128;

// Dialog templates.
constexpr int IDD_MAIN = 102;
constexpr int IDD_USB_CONFIG = 107;
constexpr int IDD_GPIO = 130;
constexpr int IDD_I2C = 134;
constexpr int IDD_EEPROM = 135;
constexpr int IDD_HID_CONTROL = 139;
constexpr int IDD_EQ_CONFIG = 142;
constexpr int IDD_VOLUME_CONFIG = 143;
constexpr int IDD_MISC_CONFIG = 144;
constexpr int IDD_ABOUT = 153;
constexpr int IDD_STATION = 170;
constexpr int IDD_CHANGES = 165;  // the settings a save would change

// Controls of the main window.
constexpr int IDC_SAVE_EEPROM = 3;
constexpr int IDC_ERASE = 4;
constexpr int IDC_REFRESH = 5;
constexpr int IDC_VID = 1016;
constexpr int IDC_CONNECT = 1017;
constexpr int IDC_PID = 1018;
constexpr int IDC_MODE_CONFIG = 1130;
constexpr int IDC_MODE_DEMO = 1131;
constexpr int IDC_MODE_FRAME = 1000;  // the frame around the mode switch
constexpr int IDC_EEPROM_TO_FILE = 1160;
constexpr int IDC_FILE_TO_EEPROM = 1161;
// The device picker and the status line, which the tool adds to the main window.
constexpr int IDC_DEVICE_LIST = 1201;
constexpr int IDC_STATUS_CHIP = 1202;
constexpr int IDC_STATUS_OPERATION = 1203;
constexpr int IDC_STATUS_BACKUP = 1204;
constexpr int IDC_STATUS_NOTE = 1205;
constexpr int IDC_STATION = 1206;  // opens the station window

// Controls of the station window.
constexpr int IDC_STATION_IMAGE = 1300;
constexpr int IDC_STATION_CHECKSUM = 1301;
constexpr int IDC_STATION_VID = 1302;
constexpr int IDC_STATION_PID = 1303;
constexpr int IDC_STATION_SERIAL_FORMAT = 1304;
constexpr int IDC_STATION_SERIAL_START = 1305;
constexpr int IDC_STATION_COUNT = 1306;
constexpr int IDC_STATION_SERIAL_SOURCE = 1307;
constexpr int IDC_STATION_NEXT_SERIAL = 1308;
constexpr int IDC_STATION_SIM_UNITS = 1309;
constexpr int IDC_STATION_SIM_PARALLEL = 1310;
constexpr int IDC_STATION_LOG = 1311;
constexpr int IDC_STATION_SLOTS = 1312;
constexpr int IDC_STATION_COUNTS = 1313;
constexpr int IDC_STATION_STATUS = 1314;
constexpr int IDC_STATION_START = 1315;
constexpr int IDC_STATION_STOP = 1316;

// How many settings the pages change against the chip, and the button that lists them.
constexpr int IDC_CHANGES = 1250;
constexpr int IDC_CHANGES_COUNT = 1251;

// Controls of the Changes view.
constexpr int IDC_CHANGES_SUMMARY = 1255;
constexpr int IDC_CHANGES_HEADER = 1256;
constexpr int IDC_CHANGES_LIST = 1257;
constexpr int IDC_CHANGES_CLOSE = 1258;

// Controls of the about page.
constexpr int IDC_ABOUT_BACKUP = 1200;  // where the last EEPROM backup went

}  // namespace tovrik
