// SPDX-License-Identifier: MIT
#include "tool_frame.h"

#include <algorithm>

#include "app/demo_dlg.h"
#include "device/device_directory.h"
#include "platform/win32/wide_text.h"
#include "platform/window_message.h"
#include "resources/resource_ids.h"

namespace tovrik::win32 {

namespace {

constexpr int kIconResource = 128;
// Space left around the sheet, in dialog units.
constexpr int kMargin = 7;

}  // namespace

ToolFrame::ToolFrame(CDemoDlg& dialog, std::function<std::string()> title)
    : dialog_(dialog), title_(std::move(title))
{
    const auto sync = [this] { SyncFromModel(); };
    main_ = std::make_unique<DialogWindow>(
        dialog_, nullptr, true, sync,
        [this](UINT m, WPARAM w, LPARAM l, INT_PTR& r) { return OnMainMessage(m, w, l, r); });
    HWND hwnd = main_->Hwnd();
    if (hwnd == nullptr) {
        return;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const auto& [which, size] :
         {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
        const int pixels = GetSystemMetrics(size);
        HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, pixels,
                                 pixels, LR_SHARED);
        SendMessageW(hwnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
    tab_ = CreateWindowExW(0, WC_TABCONTROLW, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 10, 10, hwnd,
                           nullptr, instance, nullptr);
    SendMessageW(tab_, WM_SETFONT, SendMessageW(hwnd, WM_GETFONT, 0, 0), FALSE);
    // The height of the tab row depends on the tabs, so they come before the layout.
    SyncTabs();
    LayOut();
    // The progress bar lies over the status line's operation text, hidden until needed.
    RECT line{};
    if (HWND operation = GetDlgItem(hwnd, IDC_STATUS_OPERATION)) {
        GetWindowRect(operation, &line);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&line), 2);
    }
    progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, line.left, line.top,
                                line.right - line.left, line.bottom - line.top, hwnd, nullptr,
                                instance, nullptr);
    openViews_.push_back({&dialog_.BackupsView(), nullptr});
    openViews_.push_back({&dialog_.LogView(), nullptr});
    dialog_.SetOperationObserver(
        [this](const std::string& name, bool running) { OnOperation(name, running); });
    dialog_.Context().SetViewShower([this](Dialog& view) { ShowView(view); });
    // A post from any thread wakes this thread's message loop.
    dialog_.Context().Queue().SetWakeFunction(
        [hwnd] { PostMessageW(hwnd, kDeliverQueuedMessages, 0, 0); });
    PostMessageW(hwnd, kDeliverQueuedMessages, 0, 0);
    SyncFromModel();
}

ToolFrame::~ToolFrame()
{
    dialog_.SetOperationObserver({});
    if (directory_ != nullptr) {
        directory_->SetProgressHandler({});
    }
    dialog_.Context().Queue().SetWakeFunction({});
    dialog_.Context().SetViewShower({});
    shownViews_.clear();
    views_.clear();
    openViews_.clear();
    retired_.clear();
    main_.reset();
}

void ToolFrame::LayOut()
{
    HWND hwnd = main_->Hwnd();
    // The sheet takes its place from the template and grows to hold the largest page.
    RECT area = main_->ToPixels(dialog_.Template().sheetArea);
    LONG pageWidth = 0;
    LONG pageHeight = 0;
    for (PropertyPage* page : dialog_.AllPages()) {
        const RECT r = main_->ToPixels(page->Template().rect);
        pageWidth = std::max(pageWidth, r.right - r.left);
        pageHeight = std::max(pageHeight, r.bottom - r.top);
    }
    RECT needed{0, 0, pageWidth, pageHeight};
    TabCtrl_AdjustRect(tab_, TRUE, &needed);
    area.right = std::max(area.right, area.left + (needed.right - needed.left));
    area.bottom = std::max(area.bottom, area.top + (needed.bottom - needed.top));
    MoveWindow(tab_, area.left, area.top, area.right - area.left, area.bottom - area.top, FALSE);
    pageArea_ = area;
    TabCtrl_AdjustRect(tab_, FALSE, &pageArea_);

    const RECT dialogRect = main_->ToPixels(dialog_.Template().rect);
    const RECT margin = main_->ToPixels(Rect{0, 0, kMargin, kMargin});
    RECT client{0, 0, std::max(dialogRect.right, area.right + margin.right),
                std::max(dialogRect.bottom, area.bottom + margin.bottom)};
    AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Centred again now that its size is known.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    SetWindowPos(hwnd, nullptr, work.left + std::max(0L, (work.right - work.left - width) / 2),
                 work.top + std::max(0L, (work.bottom - work.top - height) / 2), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ToolFrame::Show(int how)
{
    if (main_ && main_->Hwnd() != nullptr) {
        ShowWindow(main_->Hwnd(), how);
        UpdateWindow(main_->Hwnd());
    }
}

void ToolFrame::WatchProgress(DeviceDirectory& directory)
{
    directory_ = &directory;
    directory.SetProgressHandler(
        [this](std::uint32_t done, std::uint32_t total) { OnProgress(done, total); });
}

void ToolFrame::OnOperation(const std::string& name, bool running)
{
    busy_.OnOperation(name, running);
    if (!running && deliveryWaiting_) {
        deliveryWaiting_ = false;
        PostMessageW(main_->Hwnd(), kDeliverQueuedMessages, 0, 0);
    }
}

void ToolFrame::OnProgress(std::uint32_t done, std::uint32_t total)
{
    if (progress_ != nullptr) {
        busy_.OnProgress(done, total);
    }
}

void ToolFrame::ShowBusy(bool shown)
{
    HWND line = GetDlgItem(main_->Hwnd(), IDC_STATUS_OPERATION);
    if (shown) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        if (line != nullptr) {
            ShowWindow(line, SW_HIDE);
        }
        ShowWindow(progress_, SW_SHOWNA);
        return;
    }
    ShowWindow(progress_, SW_HIDE);
    if (line != nullptr) {
        ShowWindow(line, SW_SHOWNA);
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void ToolFrame::ShowProgress(const BusyProgress& progress)
{
    // An amount that cannot be seen (a write) runs the bar as a marquee.
    const LONG_PTR style = GetWindowLongPtrW(progress_, GWL_STYLE);
    if (((style & PBS_MARQUEE) != 0) != progress.marquee) {
        SetWindowLongPtrW(progress_, GWL_STYLE,
                          progress.marquee ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
        SendMessageW(progress_, PBM_SETMARQUEE, progress.marquee ? TRUE : FALSE, 0);
    }
    if (!progress.marquee) {
        SendMessageW(progress_, PBM_SETRANGE32, 0, static_cast<::LPARAM>(progress.total));
        SendMessageW(progress_, PBM_SETPOS, static_cast<::WPARAM>(progress.done), 0);
    }
}

void ToolFrame::Repaint()
{
    // Painting only, no messages: the command runs on this thread and must
    // not be re-entered.
    RedrawWindow(main_->Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool ToolFrame::OnMainMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
        case kDeliverQueuedMessages:
            // Window messages wait until a running command is done (its prompts
            // run a message loop), as on the one UI thread they would.
            if (busy_.HoldsBackMessages()) {
                deliveryWaiting_ = true;
                return true;
            }
            if (dialog_.Context().DispatchPending() > 0) {
                SyncFromModel();
            }
            return true;
        case WM_DEVICECHANGE:
            // Handed to the main dialog, which passes it on to the device library.
            dialog_.OnMessage(WM_DEVICECHANGE, wParam, lParam);
            SyncFromModel();
            result = TRUE;
            return true;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header != nullptr && header->hwndFrom == tab_ && header->code == TCN_SELCHANGE) {
                OnTabChange();
                return true;
            }
            return false;
        }
        case WM_CLOSE:
            // A close request that arrives while a command runs waits for the user to ask again.
            if (busy_.HoldsBackClose()) {
                return true;
            }
            // The dialog asks "Exit ... ?" and destroys its window only on OK.
            if (dialog_.IsWindow() && !dialog_.OnClose()) {
                SyncFromModel();
                return true;
            }
            DestroyWindow(main_->Hwnd());
            return true;
        case WM_DESTROY:
            PostQuitMessage(0);
            return false;
        default:
            return false;
    }
}

void ToolFrame::OnTabChange()
{
    if (syncing_) {
        return;
    }
    const int index = TabCtrl_GetCurSel(tab_);
    if (index >= 0 && index < static_cast<int>(shownPages_.size())) {
        // A page that refuses to be left stays active; the sync shows that.
        dialog_.Sheet().SetActivePage(shownPages_[index]);
    }
    SyncFromModel();
}

void ToolFrame::SyncTabs()
{
    const std::vector<PropertyPage*>& pages = dialog_.Sheet().Pages();
    if (pages == shownPages_) {
        return;
    }
    TabCtrl_DeleteAllItems(tab_);
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
        std::wstring title = Widen(pages[i]->Title());
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
    }
    shownPages_ = pages;
}

void ToolFrame::SyncFromModel()
{
    if (!main_ || main_->Hwnd() == nullptr || syncing_) {
        return;
    }
    syncing_ = true;
    // The pages' own writes keep backups too.
    if (dialog_.IsWindow()) {
        dialog_.ShowLastBackup();
    }
    main_->SyncFromModel();
    SyncTabs();
    PropertySheet& sheet = dialog_.Sheet();
    const PropertyPage* active = sheet.GetActivePage();
    for (PropertyPage* page : dialog_.AllPages()) {
        auto it = views_.find(page);
        if (it != views_.end() && it->second->IsStale()) {
            // Freed later: this may run inside a handler of one of its own controls.
            ShowWindow(it->second->Hwnd(), SW_HIDE);
            retired_.push_back(std::move(it->second));
            views_.erase(it);
            it = views_.end();
        }
        if (it == views_.end() && page->IsWindow()) {
            auto view = std::make_unique<DialogWindow>(*page, main_->Hwnd(), false,
                                                       [this] { SyncFromModel(); });
            SetWindowPos(view->Hwnd(), HWND_TOP, pageArea_.left, pageArea_.top, 0, 0,
                         SWP_NOSIZE | SWP_NOACTIVATE);
            it = views_.emplace(page, std::move(view)).first;
        }
        if (it != views_.end()) {
            it->second->SyncFromModel();
            const bool show =
                page == active && dialog_.IsWindow() && dialog_.Sheet().GetPageIndex(page) >= 0;
            const bool shown = (GetWindowLongW(it->second->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
            if (show != shown) {
                ShowWindow(it->second->Hwnd(), show ? SW_SHOWNA : SW_HIDE);
            }
        }
    }
    // A view whose dialog closed goes; freed later, as it may be in one of its own handlers.
    for (auto it = shownViews_.begin(); it != shownViews_.end();) {
        if ((*it)->IsStale()) {
            ShowWindow((*it)->Hwnd(), SW_HIDE);
            retired_.push_back(std::move(*it));
            it = shownViews_.erase(it);
        } else {
            (*it)->SyncFromModel();
            ++it;
        }
    }
    const int activeIndex = sheet.GetPageIndex(active);
    if (activeIndex >= 0 && TabCtrl_GetCurSel(tab_) != activeIndex) {
        TabCtrl_SetCurSel(tab_, activeIndex);
    }
    SyncViews();
    const std::wstring title = Widen(title_ ? title_() : dialog_.Title());
    if (WindowText(main_->Hwnd()) != Narrow(title)) {
        SetWindowTextW(main_->Hwnd(), title.c_str());
    }
    syncing_ = false;
}

void ToolFrame::SyncViews()
{
    for (OpenView& open : openViews_) {
        if (open.window && (open.window->IsStale() || !open.model->IsWindow())) {
            // Freed later: this may run inside a handler of one of its own controls.
            ShowWindow(open.window->Hwnd(), SW_HIDE);
            retired_.push_back(std::move(open.window));
        }
        if (!open.model->IsWindow()) {
            continue;
        }
        if (!open.window) {
            Dialog* model = open.model;
            // Owned by the main window, so it stays in front of it; its close
            // box closes the view as its "Close" button does.
            open.window = std::make_unique<DialogWindow>(
                *model, main_->Hwnd(), true, [this] { SyncFromModel(); },
                [this, model](UINT m, WPARAM, LPARAM, INT_PTR&) {
                    if (m != WM_CLOSE) {
                        return false;
                    }
                    model->Destroy();
                    SyncFromModel();
                    return true;
                });
            ShowWindow(open.window->Hwnd(), SW_SHOW);
        }
        open.window->SyncFromModel();
    }
}

void ToolFrame::CollectRetired()
{
    retired_.clear();
}

void ToolFrame::ShowView(Dialog& view)
{
    DialogWindow* window = nullptr;
    for (const auto& open : shownViews_) {
        if (&open->Model() == &view && !open->IsStale()) {
            window = open.get();
        }
    }
    if (window == nullptr) {
        // Owned by the main window: above it, and gone with it. Its close box closes the view.
        auto made = std::make_unique<DialogWindow>(
            view, main_->Hwnd(), true, [this] { SyncFromModel(); },
            [this, &view](UINT message, WPARAM, LPARAM, INT_PTR&) {
                if (message != WM_CLOSE) {
                    return false;
                }
                view.Destroy();
                SyncFromModel();
                return true;
            });
        if (made->Hwnd() == nullptr) {
            return;
        }
        window = made.get();
        shownViews_.push_back(std::move(made));
    }
    window->SyncFromModel();
    ShowWindow(window->Hwnd(), SW_SHOW);
    SetForegroundWindow(window->Hwnd());
}

std::vector<HWND> ToolFrame::OpenViews() const
{
    std::vector<HWND> open;
    for (const auto& view : shownViews_) {
        if (!view->IsStale()) {
            open.push_back(view->Hwnd());
        }
    }
    for (const OpenView& view : openViews_) {
        if (view.window && !view.window->IsStale()) {
            open.push_back(view.window->Hwnd());
        }
    }
    return open;
}

}  // namespace tovrik::win32
