// SPDX-License-Identifier: MIT
#pragma once

// Control ids of the demo feature pages. Ids are per dialog, so the same
// number may stand for different controls on different pages.
namespace tovrik {

// GPIO and event page (dialog 130).
constexpr int IDC_EVENT_CLEAR = 1006;
constexpr int IDC_EVENT_LIST = 1020;
constexpr int IDC_KEYPAD_OUT = 1055;
constexpr int IDC_KEYPAD_IN = 1056;
constexpr int IDC_KEYPAD_SCAN = 1057;
constexpr int IDC_GPO_DIRECTION = 1087;
constexpr int IDC_GPO_LEVEL = 1088;
constexpr int IDC_GPO_SET = 1089;
constexpr int IDC_WATCH_FRAME = 1101;
constexpr int IDC_WATCH_GENERIC = 1102;
constexpr int IDC_WATCH_I2C = 1104;

// EEPROM page (dialog 135).
constexpr int IDC_EEPROM_ERASE = 1054;
constexpr int IDC_EEPROM_WRITE = 1079;
constexpr int IDC_EEPROM_READ = 1080;
constexpr int IDC_EEPROM_ADDRESS = 1081;
constexpr int IDC_EEPROM_COUNT = 1082;
constexpr int IDC_EEPROM_DATA = 1083;
constexpr int IDC_EEPROM_SAVE_FILE = 1092;  // "EEPROM -> FILE"
constexpr int IDC_EEPROM_LOAD_FILE = 1093;  // "FILE -> EEPROM"
constexpr int IDC_EEPROM_SIZE = 1106;

// I2C page (dialog 134).
constexpr int IDC_I2C_READ = 1011;
constexpr int IDC_I2C_WRITE = 1012;
constexpr int IDC_I2C_DATA_ADDRESS = 1013;
constexpr int IDC_I2C_SEQ_READ = 1014;
constexpr int IDC_I2C_SEQ_WRITE = 1015;
constexpr int IDC_I2C_DATA = 1061;
constexpr int IDC_I2C_SLAVE = 1062;
constexpr int IDC_I2C_SET = 1063;
constexpr int IDC_I2C_SIZE = 1064;

// HID control page (dialog 139).
constexpr int IDC_HID_SEND = 1;
constexpr int IDC_HID_REG_READ = 2;
constexpr int IDC_HID_REG_WRITE = 3;
constexpr int IDC_HID_OUTPUT = 1083;
constexpr int IDC_HID_REG_DATA = 1084;
constexpr int IDC_HID_CLEAR = 1092;
constexpr int IDC_HID_INPUT_LIST = 1097;
constexpr int IDC_HID_REG_LENGTH = 1118;
constexpr int IDC_HID_REG_ADDRESS = 1129;

}  // namespace tovrik
