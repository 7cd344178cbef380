// SPDX-License-Identifier: MIT
#include "win32_prompter.h"


#include <vector>

#include "file_filter.h"
#include "platform/win32/wide_text.h"

namespace tovrik::win32 {

namespace {

// Long paths included.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

void Win32Prompter::BeforePrompt() const
{
    if (beforePrompt_) {
        beforePrompt_();
    }
}

void Win32Prompter::MessageBox(const std::string& text)
{
    BeforePrompt();
    MessageBoxW(owner_, Widen(text).c_str(), kPromptCaption, MB_OK);
}

bool Win32Prompter::Question(const std::string& text)
{
    BeforePrompt();
    return MessageBoxW(owner_, Widen(text).c_str(), kPromptCaption, MB_OKCANCEL) == IDOK;
}

std::optional<std::string> Win32Prompter::OpenFile(const std::string& filter,
                                                   const std::string& defaultExtension)
{
    return FileDialog(false, filter, defaultExtension);
}

std::optional<std::string> Win32Prompter::SaveFile(const std::string& filter,
                                                   const std::string& defaultExtension)
{
    return FileDialog(true, filter, defaultExtension);
}

std::optional<std::string> Win32Prompter::FileDialog(bool save, const std::string& filter,
                                                     const std::string& defaultExtension)
{
    const std::wstring filters = SystemFilter(filter);
    const std::wstring extension = Widen(defaultExtension);
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    BeforePrompt();
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    return Narrow(path.data());
}

}  // namespace tovrik::win32
