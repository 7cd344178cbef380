// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/window_services.h"
#include "platform/dialog.h"
#include "services/backup_restore.h"

namespace tovrik {

class CDemoApp;
class CDemoDlg;

// The Backups view: the connected chip's backups, newest first, each with its
// time, size and how many settings it differs from the chip in. "Compare"
// lists those settings, "Restore" has the main window write the backup back,
// "Open folder" shows the backups folder in the system's file manager.
class CBackupsView : public Dialog {
public:
    CBackupsView(CDemoApp& app, CDemoDlg& main);
    ~CBackupsView() override;

    // Opens the view (or lists anew when open) with the backup at `select` selected.
    void Open(const std::string& select = {});
    // Lists the backups again when the view is open, keeping the selected one.
    void Refill();

    const std::vector<ChipBackup>& Backups() const { return backups_; }

    void OnCommand(int id, Notify code) override;

private:
    void Fill(const std::string& select);
    const ChipBackup* Selected() const;
    void OnSelect();
    void OnCompare();
    void OnOpenFolder();
    // The text of a backup's row.
    std::string Row(const ChipBackup& backup);

    CDemoApp& app_;
    CDemoDlg& main_;
    std::vector<ChipBackup> backups_;
    std::vector<std::uint8_t> chip_;
    bool chipRead_ = false;
};

// The Log view: every command of the window in this session, one line each,
// in a read-only text the user can select and copy, and where the day's file keeps them.
class CLogView : public Dialog {
public:
    explicit CLogView(CDemoApp& app);
    ~CLogView() override;

    // Opens the view, or shows the log anew when open.
    void Open();
    void Refill();

    void OnCommand(int id, Notify code) override;

private:
    CDemoApp& app_;
};

}  // namespace tovrik
