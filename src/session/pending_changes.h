// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/demo_dlg.h"
#include "platform/dialog.h"
#include "session/settings_table.h"

namespace tovrik {

class CDemoApp;

// The Changes view: the settings a save would change, one row each with its
// page, its label, its value on the chip and the value to be written.
class ChangesDialog : public Dialog {
public:
    explicit ChangesDialog(UiContext& ui);
    ~ChangesDialog() override;

    // Shows these changes (while the window exists).
    void Show(const std::vector<SettingChange>& changes);

    void OnCommand(int id, Notify code) override;

    // The rows as the list shows them: the columns padded to line up, the
    // first line the heading.
    static std::vector<std::string> Rows(const std::vector<SettingChange>& changes);
};

// Follows what the pages' edits change against what the chip held when the
// pages were loaded from it, the same way `device diff` compares settings:
// the main window's count ("3 settings changed") and its Changes view.
class PendingChanges {
public:
    // The name scripts reach the view by.
    static constexpr const char* kViewName = "changes";

    explicit PendingChanges(CDemoApp& app);
    ~PendingChanges();
    PendingChanges(const PendingChanges&) = delete;
    PendingChanges& operator=(const PendingChanges&) = delete;

    // The settings a save would change now, in page order; none while no
    // chip is connected.
    std::vector<SettingChange> Changes() const;
    // "1 setting changed", "3 settings changed"; empty for none.
    static std::string CountText(std::size_t count);

    ChangesDialog& View() { return view_; }

private:
    void OnPagesEvent(CDemoDlg::PagesEvent event);
    // Reads what the chip held from the image just loaded (or saved).
    void ReadChip();
    void Update();
    void OpenView();

    CDemoApp& app_;
    CDemoDlg& window_;
    // The pages of the window, read by the settings table.
    SettingsTable pages_;
    // The settings as the chip held them; empty while none is connected.
    std::vector<SettingValue> onChip_;
    ChangesDialog view_;
};

}  // namespace tovrik
