// SPDX-License-Identifier: MIT
#pragma once

#include "windows_api.h"

#include <functional>

#include "platform/prompter.h"

namespace tovrik::win32 {

// The tool's prompts as the system's message boxes and common file dialogs,
// owned by the main window once it exists.
class Win32Prompter : public Prompter {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    // Runs before each prompt waits for the user (the busy display steps aside).
    void SetBeforePrompt(std::function<void()> before) { beforePrompt_ = std::move(before); }

    void MessageBox(const std::string& text) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    std::optional<std::string> SaveFile(const std::string& filter,
                                        const std::string& defaultExtension) override;

private:
    std::optional<std::string> FileDialog(bool save, const std::string& filter,
                                          const std::string& defaultExtension);

    void BeforePrompt() const;

    HWND owner_ = nullptr;
    std::function<void()> beforePrompt_;
};

// The caption of every message box: the application's title.
inline constexpr wchar_t kPromptCaption[] = L"Tovrik Configuration";

}  // namespace tovrik::win32
