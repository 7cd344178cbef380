// SPDX-License-Identifier: MIT
#pragma once

// The system's headers for the front end, included in one place: the tool's
// own window-message names come first, as the system defines WM_DEVICECHANGE
// as a macro (of the same value), and the system's macros that share a name
// with the tool's types and functions are removed after them.
#include "platform/window_message.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

// The tool's prompter has a MessageBox of its own; the system's is called as MessageBoxW.
#undef MessageBox
// The tool's sheet is PropertySheet; the system's function of that name is not used.
#undef PropertySheet
