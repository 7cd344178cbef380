// SPDX-License-Identifier: MIT
#include "dialog_window.h"

#include <algorithm>

#include "platform/fitted_line.h"
#include "platform/user_input.h"
#include "platform/win32/wide_text.h"

namespace tovrik::win32 {

namespace {

// The icon of the tool in the resources, the id the templates give it.
constexpr int kIconResource = 128;
// Drop-down lists open this many dialog units below their field.
constexpr int kDropDownHeight = 120;
// Edits at least this many dialog units high take several lines.
constexpr int kMultiLineEditHeight = 24;
// The dialog fonts: the system's dialog font, and a fixed-pitch one for the
// pages whose template asks for it.
constexpr wchar_t kDialogFont[] = L"MS Shell Dlg";
constexpr wchar_t kFixedFont[] = L"Courier New";
constexpr WORD kFontPoints = 8;

// An in-memory dialog template without controls: only style, size, title and font.
std::vector<WORD> EmptyTemplate(const DialogTemplate& t, bool topLevel)
{
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    // No WS_CLIPCHILDREN: the dialog paints the inside of its group boxes, which do not.
    header->style = DS_SETFONT | (topLevel ? WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                                 DS_MODALFRAME | DS_CENTER
                                           : WS_CHILD | DS_CONTROL);
    header->dwExtendedStyle = WS_EX_CONTROLPARENT | (topLevel ? WS_EX_APPWINDOW : 0);
    header->cdit = 0;
    header->x = 0;
    header->y = 0;
    header->cx = static_cast<short>(t.rect.Width());
    header->cy = static_cast<short>(t.rect.Height());
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    for (wchar_t c : Widen(t.title)) {
        words.push_back(static_cast<WORD>(c));
    }
    words.push_back(0);
    words.push_back(kFontPoints);
    for (const wchar_t* c = t.fixedFont ? kFixedFont : kDialogFont; *c != L'\0'; ++c) {
        words.push_back(static_cast<WORD>(*c));
    }
    words.push_back(0);
    return words;
}

std::wstring GetText(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int n = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

// Multi-line edits show the model's "\n" as the system's line break.
std::wstring ToEditText(const std::string& text, bool multiLine)
{
    std::wstring wide = Widen(text);
    if (!multiLine) {
        return wide;
    }
    std::wstring out;
    for (wchar_t c : wide) {
        if (c == L'\n') {
            out += L'\r';
        }
        out += c;
    }
    return out;
}

std::string FromEditText(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c != L'\r') {
            out += c;
        }
    }
    return Narrow(out);
}

bool IsMultiLine(HWND edit)
{
    return (GetWindowLongW(edit, GWL_STYLE) & ES_MULTILINE) != 0;
}

// A list box scrolls sideways only as far as it is told its widest entry reaches.
void SetListWidth(HWND list, const std::vector<std::string>& items)
{
    HDC dc = GetDC(list);
    if (dc == nullptr) {
        return;
    }
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const std::string& item : items) {
        const std::wstring wide = Widen(item);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        widest = std::max(widest, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // A few pixels for the entry's margins.
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
}

}  // namespace

std::string WindowText(HWND hwnd)
{
    return Narrow(GetText(hwnd));
}

DialogWindow::DialogWindow(Dialog& dialog, HWND parent, bool topLevel,
                           std::function<void()> afterInput, MessageHook hook)
    : dialog_(dialog),
      handle_(dialog.Handle()),
      afterInput_(std::move(afterInput)),
      hook_(std::move(hook))
{
    const std::vector<WORD> words = EmptyTemplate(dialog.Template(), topLevel);
    CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                               reinterpret_cast<const DLGTEMPLATE*>(words.data()), parent,
                               &DialogWindow::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd_ == nullptr) {
        return;
    }
    font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    Build();
    SyncFromModel();
}

DialogWindow::~DialogWindow()
{
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND hwnd, ::UINT message, ::WPARAM wParam,
                                          ::LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return FALSE;
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self != nullptr ? self->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) {
                OnControlCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
                return TRUE;
            }
            // Enter and Escape reach the dialog as IDOK and IDCANCEL; neither closes the tool.
            // Enter in a one-line field goes to the dialog as the field's (its default button).
            if (LOWORD(wParam) == IDOK) {
                int index = 0;
                HWND focus = GetFocus();
                const Control* control = ControlOf(focus, &index);
                if (control != nullptr && control->Kind() == ControlKind::Edit &&
                    !IsMultiLine(focus)) {
                    Input(index, [](Dialog& d, Control& c) { user_input::Key(d, c, true); });
                }
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                return TRUE;
            }
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (lParam != 0) {
                OnScroll(reinterpret_cast<HWND>(lParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    INT_PTR result = FALSE;
    if (hook_ && hook_(message, wParam, lParam, result)) {
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

RECT DialogWindow::ToPixels(const Rect& rect) const
{
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    MapDialogRect(hwnd_, &r);
    return r;
}

void DialogWindow::Build()
{
    const auto& controls = dialog_.Controls();
    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
        HWND child = MakeControl(*controls[i], i);
        if (child == nullptr) {
            continue;
        }
        SetWindowLongPtrW(child, GWLP_USERDATA, i + 1);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        bindings_.push_back(Binding{i, child, {}, {}, false});
    }
    // Frames lie under the controls they hold, whatever their place in the template.
    for (const Binding& b : bindings_) {
        if (controls[b.index]->Kind() == ControlKind::GroupBox) {
            SetWindowPos(b.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

HWND DialogWindow::MakeControl(const Control& control, int index)
{
    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD;
    DWORD exStyle = 0;
    Rect area = control.Area();
    switch (control.Kind()) {
        case ControlKind::Static:
            // A one-line static does not wrap, and takes the mouse for its tooltip.
            if (dialog_.Template().controls[index].iconId != 0) {
                style |= SS_ICON | SS_CENTERIMAGE;
            } else if (area.Height() < kWrappingStaticHeight) {
                style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY;
            } else {
                style |= SS_LEFT | SS_NOPREFIX;
            }
            break;
        case ControlKind::GroupBox:
            windowClass = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case ControlKind::PushButton:
            windowClass = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        // The model checks and unchecks, so the buttons do not do it themselves.
        case ControlKind::CheckBox:
            windowClass = L"BUTTON";
            style |= BS_CHECKBOX | WS_TABSTOP;
            break;
        case ControlKind::RadioButton:
            windowClass = L"BUTTON";
            style |= BS_RADIOBUTTON | WS_TABSTOP;
            break;
        case ControlKind::Edit:
            windowClass = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            if (area.Height() >= kMultiLineEditHeight) {
                style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
                style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
            }
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::ComboBox:
            windowClass = WC_COMBOBOXW;
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            area.bottom = area.top + std::max(area.Height(), kDropDownHeight);
            break;
        case ControlKind::ListBox:
            windowClass = L"LISTBOX";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Slider:
            windowClass = TRACKBAR_CLASSW;
            style |= WS_TABSTOP | TBS_AUTOTICKS |
                     (area.Height() > area.Width() ? TBS_VERT | TBS_BOTH : TBS_HORZ | TBS_BOTTOM);
            break;
    }
    const RECT r = ToPixels(area);
    const int id = control.Id() == kNoControlId ? 0xFFFF : control.Id();
    HWND child = CreateWindowExW(
        exStyle, windowClass, L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child == nullptr) {
        return nullptr;
    }
    if (control.Kind() == ControlKind::Static && dialog_.Template().controls[index].iconId != 0) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 0,
                                                   0, LR_DEFAULTSIZE | LR_SHARED));
        SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    if (control.Kind() == ControlKind::Edit) {
        SetWindowSubclass(child, &DialogWindow::EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    return child;
}

LRESULT CALLBACK DialogWindow::EditProc(HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam,
                                        UINT_PTR /*id*/, DWORD_PTR selfPointer)
{
    auto* self = reinterpret_cast<DialogWindow*>(selfPointer);
    int index = 0;
    const Control* control = self->ControlOf(hwnd, &index);
    // Edits that take Enter and Tab keep them from the dialog's keyboard handling.
    if (control != nullptr && control->TakesEnterAndTab()) {
        const bool key = wParam == VK_RETURN || wParam == VK_TAB;
        if (message == WM_GETDLGCODE) {
            return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
        }
        if (message == WM_KEYDOWN && key) {
            const bool enter = wParam == VK_RETURN;
            self->Input(index, [enter](Dialog& d, Control& c) { user_input::Key(d, c, enter); });
            return 0;
        }
        if (message == WM_CHAR && (wParam == L'\r' || wParam == L'\t')) {
            return 0;
        }
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &DialogWindow::EditProc, 1);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

Control* DialogWindow::ControlOf(HWND child, int* index)
{
    if (IsStale() || child == nullptr || GetParent(child) != hwnd_) {
        return nullptr;
    }
    const int i = static_cast<int>(GetWindowLongPtrW(child, GWLP_USERDATA)) - 1;
    const auto& controls = dialog_.Controls();
    if (i < 0 || i >= static_cast<int>(controls.size())) {
        return nullptr;
    }
    if (index != nullptr) {
        *index = i;
    }
    return controls[i].get();
}

void DialogWindow::Input(int index, const std::function<void(Dialog&, Control&)>& action)
{
    if (syncing_ || IsStale()) {
        return;
    }
    const auto& controls = dialog_.Controls();
    if (index < 0 || index >= static_cast<int>(controls.size())) {
        return;
    }
    action(dialog_, *controls[index]);
    if (afterInput_) {
        afterInput_();
    }
}

void DialogWindow::OnControlCommand(HWND child, int code)
{
    int index = 0;
    Control* control = ControlOf(child, &index);
    if (control == nullptr || syncing_) {
        return;
    }
    switch (control->Kind()) {
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            if (code == BN_CLICKED) {
                Input(index, user_input::Click);
            }
            break;
        case ControlKind::Edit:
            if (code == EN_CHANGE) {
                const std::string text = FromEditText(GetText(child));
                Input(index, [&text](Dialog& d, Control& c) { user_input::Type(d, c, text); });
            } else if (code == EN_KILLFOCUS) {
                // Focus that goes to a prompt or another program comes back; only
                // moving on inside the window leaves the field.
                HWND focus = GetFocus();
                if (focus != nullptr &&
                    GetAncestor(focus, GA_ROOT) == GetAncestor(hwnd_, GA_ROOT)) {
                    Input(index, user_input::Leave);
                }
            }
            break;
        case ControlKind::ComboBox:
            if (code == CBN_SELCHANGE) {
                const int row = static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0));
                Input(index, [row](Dialog& d, Control& c) { user_input::Select(d, c, row); });
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                const int row = static_cast<int>(SendMessageW(child, LB_GETCURSEL, 0, 0));
                Input(index, [row](Dialog& d, Control& c) { user_input::Select(d, c, row); });
            }
            break;
        default:
            break;
    }
}

void DialogWindow::OnScroll(HWND child)
{
    int index = 0;
    const Control* control = ControlOf(child, &index);
    if (control == nullptr || control->Kind() != ControlKind::Slider) {
        return;
    }
    const int position = static_cast<int>(SendMessageW(child, TBM_GETPOS, 0, 0));
    // The trackbar reports every step of a drag and its end; only moves count.
    if (position != control->GetPos()) {
        Input(index, [position](Dialog& d, Control& c) { user_input::Slide(d, c, position); });
    }
}

void DialogWindow::SyncFromModel()
{
    if (IsStale() || hwnd_ == nullptr) {
        return;
    }
    syncing_ = true;
    const auto& controls = dialog_.Controls();
    for (Binding& binding : bindings_) {
        if (binding.index < static_cast<int>(controls.size())) {
            SyncOne(binding, *controls[binding.index]);
        }
    }
    syncing_ = false;
}

void DialogWindow::SyncOne(Binding& binding, const Control& control)
{
    HWND w = binding.hwnd;
    if ((IsWindowEnabled(w) != FALSE) != control.IsEnabled()) {
        EnableWindow(w, control.IsEnabled() ? TRUE : FALSE);
    }
    const bool shown = (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != control.IsVisible()) {
        ShowWindow(w, control.IsVisible() ? SW_SHOWNA : SW_HIDE);
    }
    switch (control.Kind()) {
        case ControlKind::Static:
            if (dialog_.Template().controls[binding.index].iconId != 0) {
                break;
            }
            if ((GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) {
                if (binding.fittedFrom != control.Text()) {
                    FitStatic(binding, control.Text());
                }
                break;
            }
            [[fallthrough]];
        case ControlKind::GroupBox:
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::Edit: {
            const bool multiLine = control.Kind() == ControlKind::Edit && IsMultiLine(w);
            const std::wstring text = ToEditText(control.Text(), multiLine);
            if (GetText(w) != text) {
                SetWindowTextW(w, text.c_str());
            }
            if (control.Kind() == ControlKind::CheckBox ||
                control.Kind() == ControlKind::RadioButton) {
                const WPARAM check = control.IsChecked() ? BST_CHECKED : BST_UNCHECKED;
                if (static_cast<WPARAM>(SendMessageW(w, BM_GETCHECK, 0, 0)) != check) {
                    SendMessageW(w, BM_SETCHECK, check, 0);
                }
            }
            if (control.Kind() == ControlKind::Edit) {
                const bool readOnly = (GetWindowLongW(w, GWL_STYLE) & ES_READONLY) != 0;
                if (readOnly != control.IsReadOnly()) {
                    SendMessageW(w, EM_SETREADONLY, control.IsReadOnly() ? TRUE : FALSE, 0);
                }
                SendMessageW(w, EM_SETLIMITTEXT, static_cast<WPARAM>(control.Limit()), 0);
            }
            break;
        }
        case ControlKind::ComboBox:
        case ControlKind::ListBox: {
            const bool combo = control.Kind() == ControlKind::ComboBox;
            if (binding.shownItems != control.Items()) {
                SendMessageW(w, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
                for (const std::string& item : control.Items()) {
                    const std::wstring wide = Widen(item);
                    SendMessageW(w, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(wide.c_str()));
                }
                binding.shownItems = control.Items();
                if (!combo) {
                    SetListWidth(w, control.Items());
                }
            }
            const UINT get = combo ? CB_GETCURSEL : LB_GETCURSEL;
            if (static_cast<int>(SendMessageW(w, get, 0, 0)) != control.GetCurSel()) {
                SendMessageW(w, combo ? CB_SETCURSEL : LB_SETCURSEL,
                             static_cast<WPARAM>(control.GetCurSel()), 0);
            }
            break;
        }
        case ControlKind::Slider: {
            if (static_cast<int>(SendMessageW(w, TBM_GETRANGEMIN, 0, 0)) != control.RangeMin() ||
                static_cast<int>(SendMessageW(w, TBM_GETRANGEMAX, 0, 0)) != control.RangeMax()) {
                SendMessageW(w, TBM_SETRANGEMIN, FALSE, control.RangeMin());
                SendMessageW(w, TBM_SETRANGEMAX, TRUE, control.RangeMax());
            }
            if (static_cast<int>(SendMessageW(w, TBM_GETPOS, 0, 0)) != control.GetPos()) {
                SendMessageW(w, TBM_SETPOS, TRUE, control.GetPos());
            }
            break;
        }
    }
}

void DialogWindow::FitStatic(Binding& binding, const std::string& text)
{
    HWND w = binding.hwnd;
    RECT client{};
    GetClientRect(w, &client);
    HDC dc = GetDC(w);
    const HGDIOBJ before = SelectObject(dc, font_);
    const std::string fitted = FitLine(text, client.right, [dc](std::string_view part) {
        const std::wstring wide = Widen(std::string(part));
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
    });
    SelectObject(dc, before);
    ReleaseDC(w, dc);
    const std::wstring shown = Widen(fitted);
    if (GetText(w) != shown) {
        SetWindowTextW(w, shown.c_str());
    }
    binding.fittedFrom = text;

    const bool shortened = fitted != AsOneLine(text);
    if (!shortened && !binding.tip) {
        return;
    }
    if (tips_ == nullptr) {
        tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        if (tips_ == nullptr) {
            return;
        }
    }
    std::wstring whole = Widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(w);
    tool.lpszText = whole.data();
    if (!shortened) {
        SendMessageW(tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        binding.tip = false;
    } else if (binding.tip) {
        SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        binding.tip = SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
}

}  // namespace tovrik::win32
