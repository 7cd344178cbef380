// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace tovrik {

// Shows a folder in the system's file manager. The window asks through this
// service, so a front end may bring its own and tests can see the request
// without a file manager starting.
class FileManager {
public:
    virtual ~FileManager() = default;
    // Asks the system to show `folder`; false with `error` when the request
    // could not be made. The file manager itself runs on its own.
    virtual bool ShowFolder(const std::string& folder, std::string& error) = 0;
};

// The system's: xdg-open on Linux and other POSIX systems
// (file_manager_posix.cpp), the shell on Windows (win32/file_manager_win32.cpp).
FileManager& SystemFileManager();

}  // namespace tovrik
