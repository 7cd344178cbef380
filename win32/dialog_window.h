// SPDX-License-Identifier: MIT
#pragma once

#include "windows_api.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace tovrik::win32 {

// Renders one dialog of the headless dialog layer as a Win32 dialog: a window
// made from an in-memory template with the dialog font, so the rectangles in
// dialog units become pixels as on any Windows dialog, and a standard control
// for each control of the dialog. The model stays the truth: user input goes
// into it through platform/user_input (as a scripted click or keystroke does),
// and SyncFromModel shows its state in the controls. The window belongs to the
// dialog's window as it was when built; once that one is gone the view is stale.
class DialogWindow {
public:
    // Called for the messages of the window that the view does not handle
    // itself; returns true with `result` set when it handled them.
    using MessageHook = std::function<bool(UINT, WPARAM, LPARAM, INT_PTR& result)>;

    // A top-level window has a caption and frame; otherwise the view is a child of `parent`.
    DialogWindow(Dialog& dialog, HWND parent, bool topLevel, std::function<void()> afterInput,
                 MessageHook hook = {});
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND Hwnd() const { return hwnd_; }
    Dialog& Model() const { return dialog_; }
    bool IsStale() const { return dialog_.Handle() != handle_ || handle_ == kNoWindow; }

    // Shows the state of every control: visibility, enabled state, texts,
    // check marks, list entries and selection, slider range and position.
    void SyncFromModel();

    // The dialog's rectangle in pixels of its own dialog font.
    RECT ToPixels(const Rect& rect) const;

private:
    struct Binding {
        int index = 0;  // the control's place in Dialog::Controls()
        HWND hwnd = nullptr;
        std::vector<std::string> shownItems;
        // The model's text a one-line static was last fitted from, and whether
        // its tooltip shows all of it.
        std::optional<std::string> fittedFrom;
        bool tip = false;
    };

    // The system's message types: on 32-bit its LPARAM is a long, the tool's an int.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam);
    static LRESULT CALLBACK EditProc(HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Build();
    HWND MakeControl(const Control& control, int index);
    void SyncOne(Binding& binding, const Control& control);
    // Shows what fits of a one-line static's text, all of it in its tooltip.
    void FitStatic(Binding& binding, const std::string& text);
    // The live control behind a child window of this view, nullptr for none or when stale.
    Control* ControlOf(HWND child, int* index = nullptr);
    void OnControlCommand(HWND child, int code);
    void OnScroll(HWND child);
    // Hands a user action to the model unless the view itself is changing the controls.
    void Input(int index, const std::function<void(Dialog&, Control&)>& action);

    Dialog& dialog_;
    WindowHandle handle_;
    std::function<void()> afterInput_;
    MessageHook hook_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HWND tips_ = nullptr;  // the tooltips of statics whose text is shortened
    std::vector<Binding> bindings_;
    bool syncing_ = false;
};

// The text of a window, as UTF-8.
std::string WindowText(HWND hwnd);

}  // namespace tovrik::win32
