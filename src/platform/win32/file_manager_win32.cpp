// SPDX-License-Identifier: MIT
// Folders are shown by the shell, in Explorer or whatever the user set.
#include <windows.h>

#include <shellapi.h>

#include "platform/file_manager.h"
#include "platform/win32/wide_text.h"

namespace tovrik {
namespace {

class ShellOpen : public FileManager {
public:
    bool ShowFolder(const std::string& folder, std::string& error) override
    {
        if (folder.empty()) {
            error = "there is no folder to show";
            return false;
        }
        const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
            nullptr, L"explore", Widen(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        // The shell returns a number above 32 on success.
        if (result <= 32) {
            error = "the shell cannot show " + folder + " (error " + std::to_string(result) + ")";
            return false;
        }
        return true;
    }
};

}  // namespace

FileManager& SystemFileManager()
{
    static ShellOpen manager;
    return manager;
}

}  // namespace tovrik
