// SPDX-License-Identifier: MIT
#include "station_frame.h"

#include "station/station_dlg.h"

namespace tovrik::win32 {

StationFrame::StationFrame(CStationDlg& dialog, HWND owner) : dialog_(dialog), owner_(owner)
{
    // The station's progress arrives as window messages, delivered on this thread.
    dialog_.Context().SetAfterDispatch([this] { SyncFromModel(); });
}

StationFrame::~StationFrame()
{
    dialog_.Context().SetAfterDispatch({});
    view_.reset();
    retired_.clear();
}

void StationFrame::ShowView()
{
    if (!dialog_.IsWindow()) {
        return;
    }
    if (!view_ || view_->IsStale()) {
        if (view_) {
            ShowWindow(view_->Hwnd(), SW_HIDE);
            retired_.push_back(std::move(view_));
        }
        view_ = std::make_unique<DialogWindow>(
            dialog_, owner_, true, [this] { SyncFromModel(); },
            [this](UINT m, WPARAM w, LPARAM l, INT_PTR& r) { return OnMessage(m, w, l, r); });
    }
    SyncFromModel();
    if (HWND hwnd = view_->Hwnd()) {
        ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(hwnd);
    }
}

void StationFrame::SyncFromModel()
{
    if (!view_) {
        return;
    }
    if (view_->IsStale()) {
        // The dialog closed its window: the view goes once its own handler has returned.
        ShowWindow(view_->Hwnd(), SW_HIDE);
        retired_.push_back(std::move(view_));
        return;
    }
    view_->SyncFromModel();
}

bool StationFrame::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&)
{
    if (message == WM_CLOSE) {
        if (dialog_.IsWindow()) {
            dialog_.OnClose();
        }
        SyncFromModel();
        return true;
    }
    return false;
}

void StationFrame::CollectRetired()
{
    retired_.clear();
}

}  // namespace tovrik::win32
