// SPDX-License-Identifier: MIT
#pragma once

#include "windows_api.h"

#include <memory>
#include <vector>

#include "dialog_window.h"

namespace tovrik {

class CStationDlg;

namespace win32 {

// The station window on Windows: the station dialog as a top-level dialog
// window owned by the main window. Its view is built when the dialog's window
// opens (anew after it was closed) and kept in step after each input and each
// delivered window message, the station's progress included. Closing it hands
// the request to the dialog, which keeps the window while a run goes on.
class StationFrame {
public:
    StationFrame(CStationDlg& dialog, HWND owner);
    ~StationFrame();
    StationFrame(const StationFrame&) = delete;
    StationFrame& operator=(const StationFrame&) = delete;

    // Shows the dialog's window, building its view when needed, in front.
    void ShowView();
    void SyncFromModel();
    // The view's window; nullptr while the station window is not open.
    HWND Handle() const { return view_ ? view_->Hwnd() : nullptr; }
    // Frees the view of a window that was closed; called between messages.
    void CollectRetired();

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    CStationDlg& dialog_;
    HWND owner_;
    std::unique_ptr<DialogWindow> view_;
    std::vector<std::unique_ptr<DialogWindow>> retired_;
};

}  // namespace win32
}  // namespace tovrik
